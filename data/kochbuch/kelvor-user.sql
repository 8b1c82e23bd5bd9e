-- The user database kelvor-user.mdb as delivered: the newsgroup servers, their
-- groups with the next article to read, and the reader's work table; no rows.
-- Every text column takes the German case-insensitive collation of the layer, so
-- a mark "X" is found by 'x' as well.

CREATE TABLE newsserver (
  servid INTEGER PRIMARY KEY AUTOINCREMENT,
  sname VARCHAR(255) COLLATE NOCASE_DE,
  port LONG
);
CREATE UNIQUE INDEX "newsserver.PrimaryKey.primary" ON newsserver (servid);

CREATE TABLE newsgroups (
  ngid INTEGER PRIMARY KEY AUTOINCREMENT,
  servid LONG,
  newsgroup VARCHAR(255) COLLATE NOCASE_DE,
  userid VARCHAR(100) COLLATE NOCASE_DE,
  password VARCHAR(100) COLLATE NOCASE_DE,
  ldatum LONG,
  import VARCHAR(1) COLLATE NOCASE_DE
);
CREATE UNIQUE INDEX "newsgroups.PrimaryKey.primary" ON newsgroups (ngid);
CREATE INDEX "newsgroups.servid" ON newsgroups (servid);

CREATE TABLE newsimport (
  msgnr LONG
);
