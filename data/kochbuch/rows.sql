-- Rows of the delivered cookbook: the fixed rows the program relies on, the
-- standard units, categories with their import mapping, a small keyword tree,
-- the index definitions for the first start, and a handful of sample recipes.

INSERT INTO kochbuchname (bname, binfo) VALUES
  ('Kelvor-Kochbuch', 'Beispielkochbuch mit einigen Rezepten zum Ausprobieren');

-- Every upgrade step but the index build, which the first start runs.
INSERT INTO changelog (changed) VALUES (100), (101), (103), (104), (106), (110), (111), (112);

-- Units, in the order the unit upgrade adds them; a factor of 0 means none.
INSERT INTO einheiten (eid, ekurz, ename, elang, sprache, mmunit, mmscale, mmorder, scaleup, scaledown) VALUES
  ( 1, 'sm', 'kl',       'kleine',         1, 1, 4, 1, 0,     0),
  ( 2, 'md', 'mittl',    'mittlere',       1, 1, 4, 2, 0,     0),
  ( 3, 'lg', 'gr',       'groß',           1, 1, 4, 3, 0,     0),
  ( 4, 'fl', 'fl oz',    'Fluid Ounze',    1, 1, 9, 1, 0,     0),
  ( 5, 'pt', 'pt',       'Pint 450 ml',    1, 1, 9, 2, 0,     0),
  ( 6, 'qt', 'qt',       'Quart 900 ml',   1, 1, 9, 3, 0,     0),
  ( 7, 'ga', 'gal',      'Gallon 4 Liter', 1, 1, 9, 4, 0,     0),
  ( 8, 'mg', 'mg',       'Milligramm',     1, 1, 1, 1, 0.1,   0),
  ( 9, 'cg', '1/100 gr', '100stel Gramm',  1, 1, 1, 2, 0.1,   10),
  (10, 'dg', '1/10 gr ', '10tel Gramm',    1, 1, 1, 3, 0.1,   10),
  (11, 'g',  'g',        'Gramm',          1, 1, 1, 4, 0.001, 10),
  (12, 'kg', 'kg',       'Kilogramm',      1, 1, 1, 5, 0,     1000),
  (13, 'ml', 'ml',       'Milliliter',     1, 1, 2, 1, 0.1,   0),
  (14, 'cl', 'cl',       'Centiliter',     1, 1, 2, 2, 0.1,   10),
  (15, 'dl', 'dl',       'Deziliter',      1, 1, 2, 3, 0.1,   10),
  (16, 'l',  'l',        'Liter',          1, 1, 2, 4, 0,     10),
  (17, 'bn', 'Bd',       'Bund',           1, 1, 5, 1, 0,     0),
  (18, 'sl', 'Sch',      'Scheibe',        1, 1, 5, 2, 0,     0),
  (19, 'c',  'Ts',       'Tasse',          1, 1, 5, 3, 0,     0),
  (20, 'pn', 'Pr',       'Prise',          1, 1, 7, 1, 0,     0),
  (21, 'ds', 'Sp',       'Spur, Schuss',   1, 1, 7, 2, 0,     0),
  (22, 'dr', 'Tr',       'Tropfen',        1, 1, 7, 3, 0,     0),
  (23, 'oz', 'oz',       'Ounze 30 g',     1, 1, 8, 1, 0,     0),
  (24, 'lb', 'pound',    'Pound 450 g',    1, 1, 8, 2, 0,     0),
  (25, 'cn', 'Ds',       'Dose',           1, 1, 6, 1, 0,     0),
  (26, 'pk', 'Pkg',      'Packung',        1, 1, 6, 2, 0,     0),
  (27, 'ct', 'Kt',       'Karton',         1, 1, 6, 3, 0,     0),
  (28, 'ts', 'TL',       'Teelöffel',      1, 1, 3, 1, 0,     0),
  (29, 'tb', 'EL',       'Esslöffel',      1, 1, 3, 2, 0,     0);

-- Amounts in unit 115 are never scaled to the servings wanted. "$$" marks a unit
-- of the cookbook's own, and mmunit 0 keeps it out of the units list.
INSERT INTO einheiten (eid, ekurz, ename, elang, sprache, mmunit, mmscale, mmorder, scaleup, scaledown) VALUES
  (115, '$$', 'x', 'unabhängig von der Portionenzahl', 1, 0, 0, 0, 0, 0);

-- No unit has the code ' ', so "each" and "Stück" stand for no unit at all.
INSERT INTO impeinheit (eid, ename, ekurz) VALUES
  ((SELECT eid FROM einheiten WHERE ekurz = 'ml'), 'ccm', 'cb'),
  (NULL, 'each', 'ea'),
  (NULL, 'Stück', 'St');

-- Id 0 in each filter list stands for "no filter".
INSERT INTO hauptkat (kid, kname) VALUES
  ( 0, '- alle Rubriken -'),
  ( 1, 'Vorspeisen'),
  ( 2, 'Suppen'),
  ( 3, 'Salate'),
  ( 4, 'Hauptgerichte'),
  ( 5, 'Fleisch'),
  ( 6, 'Geflügel'),
  ( 7, 'Fisch & Meeresfrüchte'),
  ( 8, 'Vegetarisch'),
  ( 9, 'Gemüse'),
  (10, 'Beilagen'),
  (11, 'Saucen & Dips'),
  (12, 'Desserts'),
  (13, 'Kuchen & Torten'),
  (14, 'Gebäck & Plätzchen'),
  (15, 'Brot & Brötchen'),
  (16, 'Getränke'),
  (17, 'Eingemachtes'),
  (18, 'Snacks'),
  (19, 'Aufläufe'),
  (20, 'Nudeln & Reis'),
  (21, 'Eintöpfe');

-- The import looks up only the first eight characters of a category, trimmed,
-- so the keys are cut to eight as well ("Main dish" arrives as "Main dis").
INSERT INTO impkat (kimport, kid) VALUES
  ('Appetize', 1), ('Starters', 1), ('Vorspeis', 1),
  ('Soups', 2), ('Soup', 2), ('Suppe', 2), ('Suppen', 2),
  ('Salads', 3), ('Salad', 3), ('Salat', 3), ('Salate', 3),
  ('Main dis', 4), ('Entrees', 4), ('Hauptger', 4),
  ('Meats', 5), ('Meat', 5), ('Beef', 5), ('Pork', 5), ('Lamb', 5), ('Veal', 5), ('Fleisch', 5),
  ('Poultry', 6), ('Chicken', 6), ('Turkey', 6), ('Geflügel', 6),
  ('Fish', 7), ('Seafood', 7), ('Fisch', 7),
  ('Vegetari', 8), ('Vegan', 8),
  ('Vegetabl', 9), ('Gemüse', 9),
  ('Side dis', 10), ('Potatoes', 10), ('Beilage', 10), ('Beilagen', 10),
  ('Sauces', 11), ('Sauce', 11), ('Dips', 11), ('Dressing', 11), ('Saucen', 11), ('Soßen', 11),
  ('Desserts', 12), ('Dessert', 12), ('Nachspei', 12),
  ('Cakes', 13), ('Cake', 13), ('Pies', 13), ('Kuchen', 13), ('Torten', 13),
  ('Cookies', 14), ('Cookie', 14), ('Pastry', 14), ('Gebäck', 14), ('Plätzche', 14),
  ('Breads', 15), ('Bread', 15), ('Brot', 15), ('Brötchen', 15),
  ('Beverage', 16), ('Drinks', 16), ('Getränke', 16),
  ('Canning', 17), ('Preserve', 17), ('Jams', 17), ('Eingemac', 17),
  ('Snacks', 18), ('Sandwich', 18),
  ('Casserol', 19), ('Auflauf', 19), ('Aufläufe', 19),
  ('Pasta', 20), ('Rice', 20), ('Nudeln', 20), ('Reis', 20),
  ('Stews', 21), ('Stew', 21), ('Chili', 21), ('Eintopf', 21), ('Eintöpfe', 21);

INSERT INTO komment (komid, komment) VALUES
  (0, '- alle Kommentare -'),
  (1, 'Familienrezept'),
  (2, 'gelingt immer');

INSERT INTO importdateien (did, dname, "check") VALUES
  (0, 'Alle', 0),
  (1, 'Beispielrezepte', 0);

-- Keyword tree: placed keywords carry their parent and depth; substich pairs
-- each placed keyword with itself and every parent with its direct children.
INSERT INTO stichworte (sid, stichwort, subsid, ebene) VALUES
  ( 1, 'Eigene Stichworte', 0, 0),
  ( 2, 'Anlass', 0, 0),
  ( 3, 'Weihnachten', 2, 1),
  ( 4, 'Ostern', 2, 1),
  ( 5, 'Geburtstag', 2, 1),
  ( 6, 'Grillfest', 2, 1),
  ( 7, 'Jahreszeit', 0, 0),
  ( 8, 'Frühling', 7, 1),
  ( 9, 'Sommer', 7, 1),
  (10, 'Herbst', 7, 1),
  (11, 'Winter', 7, 1),
  (12, 'Küche', 0, 0),
  (13, 'Deutsch', 12, 1),
  (14, 'Italienisch', 12, 1),
  (15, 'Französisch', 12, 1),
  (16, 'Asiatisch', 12, 1),
  (17, 'Eigenschaften', 0, 0),
  (18, 'schnell', 17, 1),
  (19, 'vegetarisch', 17, 1),
  (20, 'preiswert', 17, 1);

INSERT INTO substich (sid, subsid)
  SELECT sid, sid FROM stichworte WHERE ebene IS NOT NULL AND ebene < 200;
INSERT INTO substich (sid, subsid)
  SELECT subsid, sid FROM stichworte WHERE subsid > 0 AND ebene IS NOT NULL AND ebene < 200;

INSERT INTO impstich (sid, istich) VALUES
  ( 3, 'Christmas'), ( 3, 'Weihnacht'),
  ( 4, 'Easter'),
  ( 5, 'Birthday'),
  ( 6, 'Barbecue'), ( 6, 'BBQ'), ( 6, 'Grillen'),
  ( 9, 'Summer'),
  (11, 'Winter dishes'),
  (13, 'German'),
  (14, 'Italian'), (14, 'Italien'),
  (15, 'French'), (15, 'Frankreich'),
  (16, 'Asian'), (16, 'Chinese'), (16, 'Japanese'), (16, 'Thai'),
  (18, 'Quick'), (18, 'Easy'),
  (20, 'Budget');

INSERT INTO auswahlen (aid, aname, adat) VALUES
  (1, 'Schnellauswahl', '2025-10-12');

INSERT INTO [rep-mbesch] (aname, mbesch) VALUES ('NEU', NULL);

INSERT INTO [-löschtabellen] (tabelle) VALUES
  ('letztsuchrids'), ('rezinaus'), ('rezinmen'), ('rezstich'), ('zubereit'), ('zutaten');

-- Indexes the first start builds. The named ones are sought by the program;
-- the others keep the recipe list, filters, joins and deletions of a large
-- cookbook fast. Keys that already exist are skipped by the build. zutidrid
-- gives the ingredient search the recipes of a name without reading the lines;
-- it answers every seek on zutid alone too, so zutaten has no index on zutid
-- alone (13 is not used).
INSERT INTO [-indizes] (indid, tabelle, indexname, "Primary") VALUES
  ( 1, 'rezepte',       'rnam',       0),
  ( 2, 'zutindex',      'zutat',      0),
  ( 3, 'zutimp',        'zutat',      0),
  ( 4, 'impeinheit',    'en',         0),
  ( 5, 'stichworte',    'stich',      0),
  ( 6, 'impstich',      'is',         0),
  ( 7, 'stichworte',    'PrimaryKey', 1),
  ( 8, 'hauptkat',      'PrimaryKey', 1),
  ( 9, 'rezepte',       'kid',        0),
  (10, 'rezepte',       'komid',      0),
  (11, 'rezepte',       'did',        0),
  (12, 'zutaten',       'rid',        0),
  (14, 'zubereit',      'rid',        0),
  (15, 'rezstich',      'rid',        0),
  (16, 'rezstich',      'sid',        0),
  (17, 'substich',      'sid',        0),
  (18, 'substich',      'subsid',     0),
  (19, 'stichworte',    'subsid',     0),
  (20, 'rezinaus',      'aid',        0),
  (21, 'rezinaus',      'rid',        0),
  (22, 'rezinmen',      'mid',        0),
  (23, 'rezinmen',      'rid',        0),
  (24, 'letztsuchrids', 'sid',        0),
  (25, 'letztsuchrids', 'rid',        0),
  (26, 'zutmehrzahl',   'zutid',      0),
  (27, 'zutaten',       'zutidrid',   0);

INSERT INTO [-indexfelder] (indid, feldname, fnr) VALUES
  ( 1, 'rname', 1),
  ( 2, 'zutat', 1),
  ( 3, 'zutat', 1),
  ( 4, 'ename', 1),
  ( 5, 'stichwort', 1),
  ( 6, 'istich', 1),
  ( 7, 'sid', 1),
  ( 8, 'kid', 1),
  ( 9, 'kid', 1),
  (10, 'komid', 1),
  (11, 'did', 1),
  (12, 'rid', 1), (12, 'tid', 2), (12, 'nr', 3),
  (14, 'rid', 1),
  (15, 'rid', 1),
  (16, 'sid', 1),
  (17, 'sid', 1),
  (18, 'subsid', 1),
  (19, 'subsid', 1),
  (20, 'aid', 1),
  (21, 'rid', 1),
  (22, 'mid', 1),
  (23, 'rid', 1),
  (24, 'sid', 1),
  (25, 'rid', 1),
  (26, 'zutid', 1),
  (27, 'zutid', 1), (27, 'rid', 2);

-- Sample recipes

INSERT INTO rezepte (rid, rname, port, ungenau, kid, komid, did) VALUES
  ( 1, 'Kartoffelsuppe mit Majoran',                  4, 0,  2, NULL, 1),
  ( 2, 'Gurkensalat mit Dill',                        4, 0,  3, NULL, 1),
  ( 3, 'Rinderrouladen',                              4, 0,  5, 1,    1),
  ( 4, 'Hähnchenbrust mit Zitronen-Kräuter-Marinade', 2, 0,  6, NULL, 1),
  ( 5, 'Lachs aus dem Ofen mit Gemüse',               2, 0,  7, NULL, 1),
  ( 6, 'Spaghetti mit Tomatensauce',                  4, 0, 20, NULL, 1),
  ( 7, 'Apfelkuchen aus der Springform',              6, 0, 13, 2,    1),
  ( 8, 'Vanillekipferl',                              6, 0, 14, NULL, 1),
  ( 9, 'Kaiserschmarrn',                              2, 0, 12, NULL, 1),
  (10, 'Ratatouille',                                 4, 0,  8, NULL, 1),
  (11, 'Gebratener Reis mit Gemüse und Ei',           2, 0, 20, NULL, 1),
  (12, 'Apfelpunsch ohne Alkohol',                    6, 0, 16, NULL, 1),
  (13, 'Kräuterquark',                                4, 0, 11, NULL, 1),
  (14, 'Hefezopf',                                    6, 0, 15, NULL, 1);

-- Ingredient lines are written against unit codes and ingredient texts; the
-- ids are looked up below. nr 0 is a heading line of its part.
CREATE TEMP TABLE zeile (rid, tid, nr, ekurz, menge, zutat);
INSERT INTO zeile (rid, tid, nr, ekurz, menge, zutat) VALUES
  (1, 1,  1, 'g',  750,  'Kartoffeln, mehlig kochend'),
  (1, 1,  2, NULL, 1,    'Zwiebel'),
  (1, 1,  3, NULL, 2,    'Möhren'),
  (1, 1,  4, NULL, 0.25, 'Knollensellerie'),
  (1, 1,  5, 'tb', 1,    'Butter'),
  (1, 1,  6, 'l',  1,    'Gemüsebrühe'),
  (1, 1,  7, 'ml', 100,  'Sahne'),
  (1, 1,  8, 'ts', 1,    'Majoran, getrocknet'),
  (1, 1,  9, NULL, NULL, 'Salz'),
  (1, 1, 10, NULL, NULL, 'Pfeffer, frisch gemahlen'),
  (1, 1, 11, 'bn', 0.5,  'Petersilie'),

  (2, 1, 1, NULL, 1,    'Salatgurke'),
  (2, 1, 2, 'g',  150,  'Schmand'),
  (2, 1, 3, 'tb', 1,    'Weißweinessig'),
  (2, 1, 4, 'ts', 1,    'Zucker'),
  (2, 1, 5, 'bn', 0.5,  'Dill'),
  (2, 1, 6, NULL, NULL, 'Salz'),
  (2, 1, 7, NULL, NULL, 'Pfeffer, frisch gemahlen'),

  (3, 1, 0, NULL, NULL, 'Für die Rouladen'),
  (3, 1, 1, NULL, 4,    'Rinderrouladen (je etwa 180 g)'),
  (3, 1, 2, 'tb', 2,    'Senf, mittelscharf'),
  (3, 1, 3, 'sl', 8,    'Frühstücksspeck'),
  (3, 1, 4, NULL, 2,    'Gewürzgurken'),
  (3, 1, 5, NULL, 1,    'Zwiebel'),
  (3, 1, 6, NULL, NULL, 'Salz'),
  (3, 1, 7, NULL, NULL, 'Pfeffer, frisch gemahlen'),
  (3, 1, 8, 'tb', 2,    'Butterschmalz'),
  (3, 2, 0, NULL, NULL, 'Für die Sauce'),
  (3, 2, 1, NULL, 1,    'Möhre'),
  (3, 2, 2, NULL, 0.25, 'Knollensellerie'),
  (3, 2, 3, 'tb', 1,    'Tomatenmark'),
  (3, 2, 4, 'ml', 250,  'Rotwein, trocken'),
  (3, 2, 5, 'ml', 500,  'Rinderfond'),
  (3, 2, 6, 'ts', 1,    'Speisestärke'),

  (4, 1, 1, NULL, 2,    'Hähnchenbrustfilets'),
  (4, 1, 2, NULL, 1,    'Zitrone, unbehandelt'),
  (4, 1, 3, 'tb', 3,    'Olivenöl'),
  (4, 1, 4, NULL, 2,    'Knoblauchzehen'),
  (4, 1, 5, 'ts', 1,    'Thymian, getrocknet'),
  (4, 1, 6, 'ts', 0.5,  'Paprikapulver, edelsüß'),
  (4, 1, 7, 'pn', 1,    'Salz'),
  (4, 1, 8, NULL, NULL, 'Pfeffer, frisch gemahlen'),

  (5, 1, 1, NULL, 2,    'Lachsfilets (je etwa 150 g)'),
  (5, 1, 2, 'g',  400,  'Kartoffeln, festkochend'),
  (5, 1, 3, NULL, 1,    'Zucchini'),
  (5, 1, 4, NULL, 1,    'Paprikaschote, rot'),
  (5, 1, 5, 'tb', 2,    'Olivenöl'),
  (5, 1, 6, NULL, 0.5,  'Zitrone, unbehandelt'),
  (5, 1, 7, 'bn', 0.5,  'Dill'),
  (5, 1, 8, NULL, NULL, 'Salz'),
  (5, 1, 9, NULL, NULL, 'Pfeffer, frisch gemahlen'),

  (6, 1,  1, 'g',  500,  'Spaghetti'),
  (6, 1,  2, NULL, 1,    'Zwiebel'),
  (6, 1,  3, NULL, 2,    'Knoblauchzehen'),
  (6, 1,  4, 'tb', 3,    'Olivenöl'),
  (6, 1,  5, 'cn', 2,    'Tomaten, geschält'),
  (6, 1,  6, 'ts', 1,    'Zucker'),
  (6, 1,  7, 'bn', 1,    'Basilikum'),
  (6, 1,  8, NULL, NULL, 'Salz'),
  (6, 1,  9, NULL, NULL, 'Pfeffer, frisch gemahlen'),
  (6, 1, 10, 'g',  50,   'Parmesan, frisch gerieben'),

  (7, 1, 0, NULL, NULL, 'Für den Teig'),
  (7, 1, 1, 'g',  125,  'Butter, weich'),
  (7, 1, 2, 'g',  100,  'Zucker'),
  (7, 1, 3, 'pk', 1,    'Vanillezucker'),
  (7, 1, 4, NULL, 2,    'Eier'),
  (7, 1, 5, 'g',  200,  'Mehl'),
  (7, 1, 6, 'ts', 1,    'Backpulver'),
  (7, 1, 7, 'pn', 1,    'Salz'),
  (7, 2, 0, NULL, NULL, 'Für den Belag'),
  (7, 2, 1, NULL, 3,    'Äpfel, säuerlich'),
  (7, 2, 2, NULL, 0.5,  'Zitrone, unbehandelt'),
  (7, 2, 3, 'ts', 1,    'Zimt'),
  (7, 2, 4, 'tb', 1.5,  'Aprikosenkonfitüre'),
  (7, 2, 5, 'tb', 2,    'Mandelblättchen'),

  (8, 1, 1, 'g',  250,  'Mehl'),
  (8, 1, 2, 'g',  100,  'Mandeln, gemahlen'),
  (8, 1, 3, 'g',  80,   'Zucker'),
  (8, 1, 4, 'g',  200,  'Butter, kalt'),
  (8, 1, 5, NULL, 2,    'Eigelb'),
  (8, 1, 6, 'pn', 1,    'Salz'),
  (8, 2, 0, NULL, NULL, 'Zum Wälzen'),
  (8, 2, 1, 'g',  50,   'Puderzucker'),
  (8, 2, 2, 'pk', 2,    'Vanillezucker'),

  (9, 1, 0, NULL, NULL, 'Für den Teig'),
  (9, 1, 1, 'l',  1.0 / 3, 'Milch'),
  (9, 1, 2, 'g',  125,  'Mehl'),
  (9, 1, 3, NULL, 3,    'Eier'),
  (9, 1, 4, 'tb', 1,    'Zucker'),
  (9, 1, 5, 'pn', 1,    'Salz'),
  (9, 1, 6, 'tb', 2,    'Rosinen'),
  (9, 2, 0, NULL, NULL, 'Zum Braten und Bestreuen'),
  (9, 2, 1, 'tb', 2,    'Butter'),
  (9, 2, 2, 'tb', 1,    'Puderzucker'),
  (9, 2, 3, NULL, NULL, 'Apfelmus'),

  (10, 1,  1, NULL, 1,    'Aubergine'),
  (10, 1,  2, NULL, 2,    'Zucchini'),
  (10, 1,  3, NULL, 2,    'Paprikaschoten, rot und gelb'),
  (10, 1,  4, NULL, 4,    'Tomaten, reif'),
  (10, 1,  5, NULL, 1,    'Gemüsezwiebel'),
  (10, 1,  6, NULL, 3,    'Knoblauchzehen'),
  (10, 1,  7, 'tb', 5,    'Olivenöl'),
  (10, 1,  8, 'ts', 1,    'Kräuter der Provence'),
  (10, 1,  9, NULL, NULL, 'Salz'),
  (10, 1, 10, NULL, NULL, 'Pfeffer, frisch gemahlen'),

  (11, 1, 1, 'g',  250,  'Reis, gekocht vom Vortag'),
  (11, 1, 2, NULL, 2,    'Eier'),
  (11, 1, 3, NULL, 1,    'Möhre'),
  (11, 1, 4, 'g',  100,  'Erbsen, tiefgekühlt'),
  (11, 1, 5, NULL, 2,    'Frühlingszwiebeln'),
  (11, 1, 6, 'ts', 1,    'Ingwer, frisch gerieben'),
  (11, 1, 7, 'tb', 2,    'Erdnussöl'),
  (11, 1, 8, 'tb', 2,    'Sojasauce'),
  (11, 1, 9, 'ds', 1,    'Sesamöl, geröstet'),

  (12, 1, 1, 'l',  1,    'Apfelsaft, naturtrüb'),
  (12, 1, 2, 'l',  0.5,  'Früchtetee, kräftig'),
  (12, 1, 3, NULL, 1,    'Orange, unbehandelt'),
  (12, 1, 4, NULL, 2,    'Zimtstangen'),
  (12, 1, 5, NULL, 4,    'Gewürznelken'),
  (12, 1, 6, NULL, 2,    'Sternanis'),
  (12, 1, 7, 'tb', 2,    'Honig'),

  (13, 1, 1, 'g',  500,  'Magerquark'),
  (13, 1, 2, 'ml', 100,  'Milch'),
  (13, 1, 3, 'bn', 1,    'Schnittlauch'),
  (13, 1, 4, 'bn', 0.5,  'Petersilie'),
  (13, 1, 5, NULL, 1,    'Knoblauchzehe'),
  (13, 1, 6, 'pn', 1,    'Salz'),
  (13, 1, 7, NULL, NULL, 'Pfeffer, frisch gemahlen'),
  (13, 1, 8, 'ds', 1,    'Zitronensaft'),

  (14, 1, 0, NULL, NULL, 'Für den Teig'),
  (14, 1, 1, 'g',  500,  'Mehl'),
  (14, 1, 2, 'pk', 1,    'Trockenhefe'),
  (14, 1, 3, 'ml', 250,  'Milch, lauwarm'),
  (14, 1, 4, 'g',  75,   'Zucker'),
  (14, 1, 5, 'g',  75,   'Butter, weich'),
  (14, 1, 6, NULL, 1,    'Ei'),
  (14, 1, 7, 'pn', 1,    'Salz'),
  (14, 1, 8, 'ts', 1,    'Zitronenschale, abgerieben'),
  (14, 2, 0, NULL, NULL, 'Zum Bestreichen'),
  (14, 2, 1, NULL, 1,    'Eigelb'),
  (14, 2, 2, 'tb', 1,    'Sahne'),
  (14, 2, 3, 'tb', 2,    'Hagelzucker');

-- "-" stands in for the ingredients of a recipe that has none.
INSERT INTO zutindex (zutat) VALUES ('-');
INSERT INTO zutindex (zutat)
  SELECT zutat FROM zeile GROUP BY zutat ORDER BY min(rowid);
INSERT INTO zutaten (rid, tid, nr, eid, menge, zutid)
  SELECT z.rid, z.tid, z.nr, e.eid, z.menge, i.zutid
  FROM zeile z
  LEFT JOIN einheiten e ON e.ekurz = z.ekurz
  JOIN zutindex i ON i.zutat = z.zutat
  ORDER BY z.rid, z.tid, z.nr;
DROP TABLE zeile;

INSERT INTO zutimp (zutat, zutid)
  SELECT a.alias, i.zutid FROM (
    SELECT 'Zwiebeln' AS alias, 'Zwiebel' AS zutat
    UNION ALL SELECT 'Karotten', 'Möhren'
    UNION ALL SELECT 'Karotte', 'Möhre'
    UNION ALL SELECT 'Rahm', 'Sahne'
  ) a JOIN zutindex i ON i.zutat = a.zutat;

INSERT INTO zutmehrzahl (zutid, mehrzahl)
  SELECT i.zutid, m.mehrzahl FROM (
    SELECT 'Zwiebel' AS zutat, 'Zwiebeln' AS mehrzahl
    UNION ALL SELECT 'Möhre', 'Möhren'
    UNION ALL SELECT 'Ei', 'Eier'
    UNION ALL SELECT 'Knoblauchzehe', 'Knoblauchzehen'
    UNION ALL SELECT 'Zimtstangen', 'Zimtstangen'
  ) m JOIN zutindex i ON i.zutat = m.zutat;

INSERT INTO zubereit (rid, ztext) VALUES
(1, 'Kartoffeln, Möhren und Sellerie schälen und in kleine Würfel schneiden. Die Zwiebel fein hacken und in der Butter glasig dünsten. Das Gemüse zugeben, kurz mitdünsten und mit der Brühe aufgießen. Zugedeckt etwa 20 Minuten köcheln lassen, bis die Kartoffeln weich sind.
Etwa die Hälfte der Suppe pürieren und wieder unterrühren; so wird sie sämig und behält doch Stücke. Sahne und Majoran einrühren, mit Salz und Pfeffer abschmecken und mit gehackter Petersilie bestreut servieren.'),
(2, 'Die Gurke waschen, nach Belieben schälen und in sehr dünne Scheiben hobeln. Leicht salzen und zehn Minuten ziehen lassen, dann das ausgetretene Wasser abgießen.
Schmand mit Essig und Zucker glatt rühren, den Dill fein schneiden und untermischen. Die Gurkenscheiben mit dem Dressing vermengen und mit Pfeffer abschmecken. Kühl stellen und bald servieren, sonst wird der Salat wässrig.'),
(3, 'Die Rouladen flach auslegen, dünn mit Senf bestreichen, salzen und pfeffern. Jede mit zwei Scheiben Speck, etwas Zwiebel in Streifen und einem Viertel Gewürzgurke belegen. Die Längsseiten etwas einschlagen, fest aufrollen und mit Rouladennadeln oder Küchengarn sichern.
Im Butterschmalz rundum kräftig anbraten und herausnehmen. Möhre und Sellerie würfeln und im Bratfett rösten, das Tomatenmark kurz mitrösten. Mit Rotwein ablöschen, etwas einkochen lassen und den Fond angießen.
Die Rouladen wieder einlegen und zugedeckt bei kleiner Hitze etwa 90 Minuten schmoren, dabei ab und zu wenden. Herausnehmen, die Sauce durch ein Sieb streichen, mit der in wenig kaltem Wasser angerührten Stärke binden und abschmecken.'),
(4, 'Von der Zitrone die Schale fein abreiben und den Saft auspressen. Beides mit Olivenöl, zerdrücktem Knoblauch, Thymian, Paprika, Salz und Pfeffer verrühren.
Die Filets trocken tupfen, in der Marinade wenden und abgedeckt mindestens eine Stunde, besser über Nacht, im Kühlschrank ziehen lassen.
Auf dem heißen Grill oder in der Grillpfanne von jeder Seite 6 bis 7 Minuten garen, bis der Fleischsaft klar austritt. Vor dem Anschneiden kurz ruhen lassen.'),
(5, 'Den Backofen auf 200 °C Ober- und Unterhitze vorheizen. Die Kartoffeln waschen und vierteln, Zucchini und Paprika in mundgerechte Stücke schneiden. Alles mit dem Öl, Salz und Pfeffer mischen und auf einem Blech 20 Minuten vorbacken.
Den Lachs salzen, auf das Gemüse legen und mit Zitronenscheiben belegen. Weitere 12 bis 15 Minuten garen, bis der Fisch innen gerade nicht mehr glasig ist. Mit gehacktem Dill bestreuen.'),
(6, 'Zwiebel und Knoblauch fein würfeln und im Olivenöl bei mittlerer Hitze weich dünsten, ohne dass sie Farbe nehmen. Die Tomaten mit dem Saft zugeben, mit dem Kochlöffel zerdrücken, Zucker, Salz und Pfeffer dazugeben. Offen etwa 25 Minuten leise einkochen lassen.
Inzwischen die Spaghetti in reichlich Salzwasser bissfest kochen. Das Basilikum in Streifen schneiden und unter die Sauce ziehen. Die Nudeln abgießen, mit der Sauce mischen und mit Parmesan servieren.'),
(7, 'Den Ofen auf 180 °C vorheizen und eine Springform (20 cm) fetten. Butter, Zucker, Vanillezucker und Salz schaumig schlagen, die Eier einzeln unterrühren. Mehl und Backpulver mischen und kurz unterheben. Den Teig in die Form streichen.
Die Äpfel schälen, vierteln, entkernen und die Viertel auf der Rundung mehrmals längs einschneiden. Mit Zitronensaft beträufeln, mit Zimt bestäuben und im Kreis in den Teig drücken.
Etwa 40 Minuten backen (Stäbchenprobe). Die Konfitüre erwärmen, den noch warmen Kuchen damit bestreichen und mit Mandelblättchen bestreuen.'),
(8, 'Mehl, Mandeln, Zucker und Salz mischen. Die kalte Butter in Stückchen und das Eigelb zugeben und alles rasch zu einem glatten Teig verkneten. In Folie gewickelt eine Stunde kalt stellen.
Den Ofen auf 175 °C vorheizen. Den Teig zu fingerdicken Rollen formen, in 4 cm lange Stücke schneiden und zu Hörnchen biegen. Auf ein mit Backpapier belegtes Blech setzen und 10 bis 12 Minuten backen; sie sollen hell bleiben.
Puderzucker und Vanillezucker mischen und die Kipferl noch warm vorsichtig darin wälzen: warm brechen sie leicht, kalt haftet der Zucker nicht.'),
(9, 'Die Eier trennen. Milch, Mehl, Eigelb und Salz zu einem glatten Teig rühren und kurz quellen lassen. Das Eiweiß mit dem Zucker steif schlagen und locker unterheben.
Die Hälfte der Butter in einer großen Pfanne schmelzen, den Teig hineingießen und die Rosinen darüberstreuen. Bei mittlerer Hitze backen, bis die Unterseite goldbraun ist, dann vierteln und wenden.
Mit zwei Gabeln in Stücke reißen, die übrige Butter zugeben und alles unter Schwenken leicht karamellisieren lassen. Mit Puderzucker bestäuben und mit Apfelmus servieren.'),
(10, 'Aubergine, Zucchini und Paprika in gut 2 cm große Würfel schneiden, die Tomaten überbrühen, häuten und grob hacken. Zwiebel und Knoblauch fein würfeln.
Das Gemüse nacheinander in kleinen Mengen im heißen Öl anbraten, damit es Röstaromen bekommt, statt im eigenen Saft zu kochen, und jeweils beiseitestellen. Zum Schluss Zwiebel und Knoblauch andünsten.
Alles mit den Tomaten und den Kräutern in einen Topf geben und zugedeckt 30 Minuten sanft schmoren. Mit Salz und Pfeffer abschmecken. Schmeckt warm und kalt, am nächsten Tag sogar noch besser.'),
(11, 'Die Möhre klein würfeln, die Frühlingszwiebeln in Ringe schneiden und das Weiße vom Grünen trennen. Die Eier verquirlen.
Das Öl im Wok stark erhitzen, die Eier hineingeben, stocken lassen, zerteilen und herausnehmen. Möhre, das Weiße der Zwiebeln und Ingwer zwei Minuten unter Rühren braten, Erbsen und Reis zugeben und weiterbraten, bis der Reis leise knistert.
Das Ei wieder untermischen, mit Sojasauce würzen und mit einem Schuss Sesamöl und dem Zwiebelgrün fertigstellen. Der Reis muss vom Vortag sein; frisch gekochter klebt.'),
(12, 'Den Tee aufbrühen und fünf Minuten ziehen lassen, dann mit dem Apfelsaft in einen Topf geben. Die Orange heiß waschen, in Scheiben schneiden und mit den Gewürzen zugeben.
Langsam erhitzen, aber nicht kochen lassen, und etwa 15 Minuten bei kleiner Hitze ziehen lassen. Mit Honig süßen, die Gewürze herausnehmen und heiß in Gläsern servieren.'),
(13, 'Den Quark mit der Milch cremig rühren. Die Kräuter waschen, trocken schütteln und fein schneiden, den Knoblauch durch die Presse drücken.
Alles unter den Quark mischen und mit Salz, Pfeffer und Zitronensaft abschmecken. Mindestens eine halbe Stunde durchziehen lassen. Passt zu Pellkartoffeln, Gemüsesticks oder als Brotaufstrich.'),
(14, 'Mehl und Hefe in einer Schüssel mischen. Milch, Zucker, Butter, Ei, Salz und Zitronenschale zugeben und alles mindestens fünf Minuten zu einem glatten, weichen Teig kneten. Abgedeckt an einem warmen Ort etwa eine Stunde gehen lassen, bis er sich deutlich vergrößert hat.
Den Teig in drei gleiche Stücke teilen, zu etwa 40 cm langen Strängen rollen und locker zu einem Zopf flechten, die Enden unterschlagen. Auf dem Blech noch einmal 20 Minuten gehen lassen.
Eigelb und Sahne verquirlen, den Zopf damit bestreichen und mit Hagelzucker bestreuen. Im vorgeheizten Ofen bei 180 °C etwa 30 Minuten goldbraun backen.');

INSERT INTO rezstich (rid, sid) VALUES
  ( 1, 10), ( 1, 13), ( 1, 20),
  ( 2,  9), ( 2, 18), ( 2, 19),
  ( 3, 13), ( 3, 11),
  ( 4,  6), ( 4,  9),
  ( 5, 18), ( 5,  8),
  ( 6, 14), ( 6, 19), ( 6, 18), ( 6, 20),
  ( 7, 10), ( 7, 13),
  ( 8,  3),
  ( 9, 18),
  (10, 15), (10, 19), (10,  9),
  (11, 16), (11, 18), (11, 20),
  (12,  3), (12, 11),
  (13,  8), (13, 18), (13, 19), (13, 20),
  (14,  4), (14,  8);

-- So the list and menu panel is not empty at the first start.
INSERT INTO rezinaus (aid, rid, rname, katego, port, komid)
  SELECT 1, rid, rname, kid, 4, komid FROM rezepte WHERE rid IN (1, 6);

INSERT INTO menues (mid, mname, mdat, mbesch) VALUES
  (1, 'Sonntagsessen im Herbst', '2025-10-12',
   'Vorweg die Kartoffelsuppe in kleinen Tellern, danach die Rouladen mit Klößen und Rotkohl.');

INSERT INTO rezinmen (mid, rid, nr, rname, katego, port)
  SELECT 1, rid, CASE rid WHEN 1 THEN 1 ELSE 2 END, substr(rname, 1, 50), kid, 4
  FROM rezepte WHERE rid IN (1, 3);
