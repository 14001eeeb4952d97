-- The recipe database: components with prices per kg, products, and the recipe lines that tie them.
-- Numeric columns have INTEGER or REAL affinity, so numbers written as quoted text are stored as numbers.
-- No foreign keys and no cascades: the recomputation rewrites product rows with REPLACE, and that must
-- never touch a recipe line. Names are unique (binary comparison, so case still matters).

CREATE TABLE Materials (
    Comp_ID   INTEGER PRIMARY KEY,
    Component TEXT UNIQUE,
    Price     REAL,
    Date      DATE
);

CREATE TABLE Products (
    Prod_ID INTEGER PRIMARY KEY,
    Product TEXT UNIQUE,
    Mass    REAL,
    Price   REAL,
    Solids  TEXT
);

CREATE TABLE Recipes (
    ID       INTEGER PRIMARY KEY,
    Prod_ID  INTEGER,
    Comp_ID  INTEGER,
    Quantity REAL,
    Datum    DATE
);

-- Every price a component had before a post changed it, with the date it had been set; the program creates
-- this table in older files on their first price write.
CREATE TABLE PriceHistory (
    Comp_ID INTEGER,
    Price   REAL,
    Date    DATE
);

-- A component that is made in the house: the product whose recipe it is. Its price is the product's price per
-- kg, written by the program; the program creates this table in older files when the first premix is made.
CREATE TABLE Premixes (
    Comp_ID INTEGER PRIMARY KEY,
    Prod_ID INTEGER NOT NULL UNIQUE
);

CREATE INDEX Recipes_Prod_ID ON Recipes (Prod_ID);
CREATE INDEX Recipes_Comp_ID ON Recipes (Comp_ID);
CREATE INDEX PriceHistory_Comp_ID ON PriceHistory (Comp_ID);

-- One row per recipe line whose product and component exist; Cumulative is the line's cost.
CREATE VIEW Report AS
    SELECT P.Product AS Product, M.Component AS Component, R.Quantity AS Quantity,
           R.Quantity * M.Price AS Cumulative
    FROM Recipes R, Products P, Materials M
    WHERE P.Prod_ID = R.Prod_ID AND M.Comp_ID = R.Comp_ID;

CREATE VIEW Components_in_Recipes AS
    SELECT M.Component AS Component, P.Product AS Product, R.Quantity AS Quantity
    FROM Recipes R, Products P, Materials M
    WHERE P.Prod_ID = R.Prod_ID AND M.Comp_ID = R.Comp_ID;
