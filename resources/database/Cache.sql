-- The cache database: one search count per normalised keyword, shared by all projects.
-- Text keys compare without regard to case (NOCASE); dates are days since 30 December 1899.
CREATE TABLE Cache (
    KW TEXT NOT NULL COLLATE NOCASE PRIMARY KEY CHECK (length(KW) <= 255),
    Count INTEGER CHECK (Count BETWEEN -2147483648 AND 2147483647),
    dte REAL
) STRICT, WITHOUT ROWID;
