-- Structure of the delivered cookbook, as it stands after every upgrade step
-- except the first-start index build. That build looks at rezepte: while it has
-- no index, the first start creates every index listed in [-indizes], so rezepte
-- and the search tables carry only the keys the upgrade steps would have left.
-- Every text column takes the German case-insensitive collation of the layer.

-- Recipes and their rows

CREATE TABLE rezepte (
  rid INTEGER PRIMARY KEY AUTOINCREMENT,
  rname VARCHAR(255) COLLATE NOCASE_DE,
  port SMALLINT,
  ungenau BIT,
  kid LONG,
  komid LONG,
  did LONG
);

CREATE TABLE zutaten (
  rid LONG,
  tid SMALLINT,
  nr SMALLINT,
  eid LONG,
  menge DOUBLE,
  zutid LONG
);

CREATE TABLE zubereit (
  rid LONG,
  ztext LONGTEXT COLLATE NOCASE_DE
);

-- The import cuts new ingredient names to 150 characters.
CREATE TABLE zutindex (
  zutid INTEGER PRIMARY KEY AUTOINCREMENT,
  zutat VARCHAR(150) COLLATE NOCASE_DE
);

CREATE TABLE zutimp (
  zutat VARCHAR(150) COLLATE NOCASE_DE,
  zutid LONG
);

CREATE TABLE zutmehrzahl (
  zutid LONG,
  mehrzahl VARCHAR(150) COLLATE NOCASE_DE
);

-- Units. The columns after ekurz keep the order in which the unit upgrade
-- appended them. eid takes explicit ids (the standard units) as well as ids
-- assigned on insert (a unit typed in the editor).

CREATE TABLE einheiten (
  eid INTEGER PRIMARY KEY AUTOINCREMENT,
  ename VARCHAR(20) COLLATE NOCASE_DE,
  ekurz VARCHAR(10) COLLATE NOCASE_DE,
  mmunit BIT,
  mmorder BYTE,
  elang VARCHAR(40) COLLATE NOCASE_DE,
  sprache LONG,
  mmscale BYTE,
  scaleup SINGLE,
  scaledown SINGLE
);
CREATE UNIQUE INDEX "einheiten.PrimaryKey.primary" ON einheiten (eid);
CREATE INDEX "einheiten.ekurz" ON einheiten (ekurz);

CREATE TABLE impeinheit (
  eid LONG,
  ename VARCHAR(20) COLLATE NOCASE_DE,
  ekurz VARCHAR(10) COLLATE NOCASE_DE
);

-- Categories and comments

CREATE TABLE hauptkat (
  kid LONG,
  kname VARCHAR(50) COLLATE NOCASE_DE
);
CREATE UNIQUE INDEX "hauptkat.PrimaryKey.primary" ON hauptkat (kid);

-- The import compares kimport with the first eight characters of a category.
CREATE TABLE impkat (
  kimport VARCHAR(50) COLLATE NOCASE_DE,
  kid LONG
);

-- The recipe view stores at most 49 characters of a typed comment.
CREATE TABLE komment (
  komid LONG,
  komment VARCHAR(50) COLLATE NOCASE_DE
);

-- Keywords. No defaults: a keyword added by the import must stay unplaced,
-- with Null in subsid and ebene.

CREATE TABLE stichworte (
  sid INTEGER PRIMARY KEY AUTOINCREMENT,
  stichwort VARCHAR(50) COLLATE NOCASE_DE,
  subsid LONG,
  ebene SMALLINT
);
CREATE UNIQUE INDEX "stichworte.PrimaryKey.primary" ON stichworte (sid);

CREATE TABLE substich (
  sid LONG,
  subsid LONG
);

CREATE TABLE rezstich (
  rid LONG,
  sid LONG
);

CREATE TABLE impstich (
  sid LONG,
  istich VARCHAR(50) COLLATE NOCASE_DE
);

-- Selection lists and menus

CREATE TABLE auswahlen (
  aid INTEGER PRIMARY KEY AUTOINCREMENT,
  aname VARCHAR(50) COLLATE NOCASE_DE,
  adat DATETIME
);

CREATE TABLE rezinaus (
  aid LONG,
  rid LONG,
  rname VARCHAR(255) COLLATE NOCASE_DE,
  katego LONG,
  port SMALLINT,
  komid LONG
);

CREATE TABLE menues (
  mid INTEGER PRIMARY KEY AUTOINCREMENT,
  mname VARCHAR(50) COLLATE NOCASE_DE,
  mdat DATETIME,
  mbesch LONGTEXT COLLATE NOCASE_DE
);

-- A dish keeps only the first 50 characters of the recipe title.
CREATE TABLE rezinmen (
  mid LONG,
  rid LONG,
  nr SMALLINT,
  rname VARCHAR(50) COLLATE NOCASE_DE,
  katego LONG,
  port SMALLINT
);

-- Imported files and import bookkeeping

CREATE TABLE importdateien (
  did LONG,
  dname VARCHAR(255) COLLATE NOCASE_DE,
  "check" BIT
);
CREATE UNIQUE INDEX "importdateien.PrimaryKey.primary" ON importdateien (did);

CREATE TABLE importsubdirs (
  subdir VARCHAR(255) COLLATE NOCASE_DE
);

CREATE TABLE importerrors (
  errid INTEGER PRIMARY KEY AUTOINCREMENT,
  did LONG,
  rid LONG,
  rname VARCHAR(255) COLLATE NOCASE_DE,
  etext VARCHAR(255) COLLATE NOCASE_DE
);

CREATE TABLE importerrtexte (
  errid LONG,
  rtext LONGTEXT COLLATE NOCASE_DE
);

-- Opened by the import for the whole run; no column is used by name.
CREATE TABLE erfasser (
  erfid LONG,
  erfasser VARCHAR(100) COLLATE NOCASE_DE
);

CREATE TABLE quellen (
  qid LONG,
  quelle VARCHAR(255) COLLATE NOCASE_DE
);

-- Searches

CREATE TABLE letztsuch (
  sid INTEGER PRIMARY KEY AUTOINCREMENT,
  ssql LONGTEXT COLLATE NOCASE_DE,
  stext VARCHAR(255) COLLATE NOCASE_DE
);

CREATE TABLE letztsuchrids (
  sid LONG,
  rid LONG
);

CREATE TABLE suchzutat (
  zid LONG,
  typ SMALLINT
);

CREATE TABLE suchrids (
  typ SMALLINT,
  rid LONG
);

CREATE TABLE suchfound (
  rid LONG
);

-- Work tables of the windows

-- Amount and unit stay empty on heading lines, so both accept empty text.
CREATE TABLE editzutat (
  nr SMALLINT,
  men VARCHAR(20) COLLATE NOCASE_DE,
  ename VARCHAR(20) COLLATE NOCASE_DE,
  zut VARCHAR(150) COLLATE NOCASE_DE
);

-- men first holds the raw amount, then its kitchen-fraction text; p the
-- servings to print.
CREATE TABLE [rep-korbliste] (
  aname VARCHAR(255) COLLATE NOCASE_DE,
  adat DATETIME,
  rid LONG,
  rname VARCHAR(255) COLLATE NOCASE_DE,
  p SMALLINT,
  port SMALLINT,
  ungen BIT,
  ztext LONGTEXT COLLATE NOCASE_DE,
  tid SMALLINT,
  nr SMALLINT,
  eval LONG,
  ename VARCHAR(20) COLLATE NOCASE_DE,
  men VARCHAR(50) COLLATE NOCASE_DE,
  zname VARCHAR(255) COLLATE NOCASE_DE,
  rnr LONG
);
CREATE UNIQUE INDEX "rep-korbliste.PrimaryKey.primary" ON [rep-korbliste] (rid, tid, nr);

CREATE TABLE [rep-einkauf] (
  aname VARCHAR(255) COLLATE NOCASE_DE,
  adat DATETIME,
  rid LONG,
  rname VARCHAR(255) COLLATE NOCASE_DE,
  p SMALLINT,
  port SMALLINT,
  ungen BIT,
  ztext LONGTEXT COLLATE NOCASE_DE,
  tid SMALLINT,
  nr SMALLINT,
  eval LONG,
  ename VARCHAR(20) COLLATE NOCASE_DE,
  men VARCHAR(50) COLLATE NOCASE_DE,
  zname VARCHAR(255) COLLATE NOCASE_DE
);

CREATE TABLE [rep-mbesch] (
  aname VARCHAR(255) COLLATE NOCASE_DE,
  mbesch LONGTEXT COLLATE NOCASE_DE
);

-- Only ever emptied.
CREATE TABLE [rep-einkaufsliste] (
  aname VARCHAR(255) COLLATE NOCASE_DE,
  rid LONG,
  tid SMALLINT,
  nr SMALLINT,
  ename VARCHAR(20) COLLATE NOCASE_DE,
  men VARCHAR(50) COLLATE NOCASE_DE,
  zname VARCHAR(255) COLLATE NOCASE_DE
);

-- Umlaut exceptions, a work copy of ExclList.txt. The capital pairs are stored
-- as "gAe", "gOe", "gUe", hence three characters for alt.
CREATE TABLE umlaute (
  alt VARCHAR(3) COLLATE NOCASE_DE,
  neu VARCHAR(1) COLLATE NOCASE_DE,
  alttext VARCHAR(15) COLLATE NOCASE_DE
);

-- Marker, version and definition tables

CREATE TABLE kochbuchname (
  bname VARCHAR(100) COLLATE NOCASE_DE,
  binfo VARCHAR(255) COLLATE NOCASE_DE
);

CREATE TABLE changelog (
  changed LONG
);

CREATE TABLE [-indizes] (
  indid LONG,
  tabelle VARCHAR(64) COLLATE NOCASE_DE,
  indexname VARCHAR(64) COLLATE NOCASE_DE,
  "Primary" BIT
);

CREATE TABLE [-indexfelder] (
  indid LONG,
  feldname VARCHAR(64) COLLATE NOCASE_DE,
  fnr SMALLINT
);

CREATE TABLE html (
  hid LONG,
  kopf LONGTEXT COLLATE NOCASE_DE,
  fuss LONGTEXT COLLATE NOCASE_DE
);

CREATE TABLE [-löschtabellen] (
  tabelle VARCHAR(64) COLLATE NOCASE_DE
);
