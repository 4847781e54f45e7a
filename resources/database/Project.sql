-- The project database template: keywords and the operations that found them. Opening a
-- project adds the groups and the lookup date. Text keys compare without regard to case
-- (NOCASE); dates are days since 30 December 1899; ids are never reused (AUTOINCREMENT).
CREATE TABLE Keyword (
    pkKeyword INTEGER PRIMARY KEY AUTOINCREMENT,
    KW TEXT NOT NULL COLLATE NOCASE CHECK (length(KW) BETWEEN 1 AND 255),
    Normalized TEXT NOT NULL COLLATE NOCASE CHECK (length(Normalized) BETWEEN 1 AND 255),
    Relevancy INTEGER CHECK (Relevancy BETWEEN -32768 AND 32767),
    Searches INTEGER CHECK (Searches BETWEEN -2147483648 AND 2147483647),
    CacheDate REAL
) STRICT;
CREATE UNIQUE INDEX Normalized ON Keyword (Normalized);

CREATE TABLE Operation (
    pkOperation TEXT NOT NULL COLLATE NOCASE PRIMARY KEY CHECK (length(pkOperation) > 0),
    Processed REAL,
    Description TEXT,
    Parameter TEXT
) STRICT;

CREATE TABLE KeywordOperation (
    fkKeyword INTEGER NOT NULL
        REFERENCES Keyword (pkKeyword) ON UPDATE CASCADE ON DELETE CASCADE,
    fkOperation TEXT NOT NULL COLLATE NOCASE
) STRICT;
CREATE UNIQUE INDEX KeywordOperationKey ON KeywordOperation (fkKeyword, fkOperation);
