-- Brivane sample data: a small flavour-compounding shop.
-- Load it over an empty database created from schema.sql:
--     sqlite3 Products.db3 < schema.sql
--     sqlite3 Products.db3 < sample_data.sql
-- Component prices are per kg. Product Mass and Price are left NULL; the program
-- recomputes them from the recipe lines on start. LIME CORDIAL BASE has no lines
-- left and keeps the totals it had when it last had some.

BEGIN;

-- Components (starting materials), price per kg
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (1,  'ETHANOL 96%',              2.35,    '2025-11-04');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (2,  'PROPYLENE GLYCOL',         2.90,    '2025-09-18');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (3,  'GLYCERINE',                1.85,    '2024-06-12');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (4,  'WATER',                    0.0,     '2024-01-08');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (5,  'ANETHOLE',                 38.50,   '2025-03-21');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (6,  'VANILLIN',                 14.20,   '2025-07-02');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (7,  'ETHYL VANILLIN',           32.75,   '2024-10-15');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (8,  'STAR ANISE OIL',           48.00,   '2026-01-13');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (9,  'FENNEL OIL SWEET',         62.40,   '2025-05-27');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (10, 'ORANGE OIL SWEET',         11.80,   '2026-02-03');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (11, 'LEMON OIL',                36.90,   '2025-12-09');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (12, 'PEPPERMINT OIL',           54.60,   '2025-08-19');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (13, 'CINNAMON BARK OIL',        612.50,  '2024-11-28');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (14, 'CARAMEL COLOUR E150D',     3.45,    '2024-04-30');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (15, 'CITRIC ACID ANHYDROUS',    1.95,    '2025-02-11');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (16, 'SUGAR SYRUP 67%',          0.98,    '2025-10-06');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (17, 'LIME OIL DISTILLED',       42.30,   '2024-08-22');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (18, 'CLOVE BUD OIL',            28.70,   '2025-04-16');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (19, 'CORIANDER SEED OIL',       118.00,  '2024-09-05');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (20, 'VANILLA BEAN EXTRACT 1X',  86.00,   '2026-01-27');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (21, 'LIQUORICE EXTRACT',        24.60,   '2024-12-17');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (22, 'TRIACETIN',                4.10,    '2025-06-24');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (23, 'MOTHER''S SALT',           3.80,    '2024-03-14');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (24, 'ANGELICA ROOT OIL',        1480.00, '2024-07-09');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (25, 'BITTER ALMOND OIL FFPA',   195.00,  '2025-01-20');
INSERT INTO Materials (Comp_ID, Component, Price, Date) VALUES (26, 'ETHYL MALTOL',             27.30,   '2026-02-17');

-- Products; Mass and Price are filled in by the recomputation
INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (1, 'ANISETTE ESSENCE', NULL, NULL,
'Production:
1. Charge the ethanol into the stainless mixing vessel, stirrer at low speed.
2. Add anethole, star anise oil and fennel oil; stir 15 minutes until clear.
3. Dissolve vanillin in the propylene glycol separately, then add.
4. Add liquorice extract, glycerine and water last; stir a further 30 minutes.
5. Rest 24 hours at room temperature, then filter through a 5 micron cartridge.
Safety: highly flammable liquid, flash point approx. 21 C (closed cup).
Anethole crystallises below 20 C: warm gently to 25 C before use if cloudy.
Storage: tightly closed amber glass or lined steel, 15-25 C, away from light
and ignition sources. Shelf life 24 months.');
INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (2, 'GRANDMA''S VANILLA EXTRACT', NULL, NULL, 'Dissolve vanillins in ethanol before adding the glycol.');
INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (3, 'LEMON FLAVOUR WATER SOLUBLE', NULL, NULL, NULL);
INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (4, 'PEPPERMINT FLAVOUR 10%', NULL, NULL, NULL);
INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (5, 'COLA FLAVOUR BASE', NULL, NULL, 'Emulsify the oils into the glycol before adding syrup and colour.');
INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (6, 'CINNAMON SPICE FLAVOUR', NULL, NULL, NULL);
INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (7, 'LIME CORDIAL BASE', 50.0, 3.10, 'Recipe withdrawn; reformulation pending.');
INSERT INTO Products (Prod_ID, Product, Mass, Price, Solids) VALUES (8, 'ORANGE LIQUEUR ESSENCE', NULL, NULL, NULL);

-- Recipe lines, quantities in kg

-- ANISETTE ESSENCE (25 kg batch)
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (1,  1, 1,  14.0,  '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (2,  1, 5,  6.5,   '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (3,  1, 8,  1.25,  '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (4,  1, 9,  0.75,  '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (5,  1, 19, 0.05,  '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (6,  1, 21, 0.4,   '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (7,  1, 2,  1.5,   '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (8,  1, 6,  0.02,  '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (9,  1, 25, 0.005, '2025-06-10');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (10, 1, 3,  0.2,   '2025-03-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (11, 1, 4,  0.325, '2025-06-10');

-- GRANDMA'S VANILLA EXTRACT (12.5 kg batch)
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (12, 2, 20, 2.5,   '2024-11-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (13, 2, 1,  4.0,   '2024-11-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (14, 2, 6,  0.3,   '2024-11-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (15, 2, 7,  0.08,  '2024-11-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (16, 2, 2,  3.12,  '2024-11-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (17, 2, 4,  2.5,   '2025-02-18');

-- LEMON FLAVOUR WATER SOLUBLE (20 kg batch)
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (18, 3, 11, 0.6,   '2025-12-11');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (19, 3, 1,  11.0,  '2025-12-11');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (20, 3, 2,  4.0,   '2025-12-11');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (21, 3, 15, 0.15,  '2025-12-11');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (22, 3, 4,  4.25,  '2025-12-11');

-- PEPPERMINT FLAVOUR 10% (10 kg batch)
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (23, 4, 12, 1.0,   '2025-08-21');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (24, 4, 2,  6.5,   '2025-08-21');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (25, 4, 22, 2.0,   '2025-08-21');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (26, 4, 3,  0.5,   '2025-08-21');

-- COLA FLAVOUR BASE (120 kg batch)
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (27, 5, 16, 72.0,  '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (28, 5, 14, 18.0,  '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (29, 5, 4,  16.35, '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (30, 5, 2,  9.0,   '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (31, 5, 15, 2.4,   '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (32, 5, 10, 0.9,   '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (33, 5, 11, 0.6,   '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (34, 5, 17, 0.45,  '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (35, 5, 13, 0.06,  '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (36, 5, 18, 0.04,  '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (37, 5, 19, 0.02,  '2026-02-05');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (38, 5, 6,  0.18,  '2026-02-19');

-- CINNAMON SPICE FLAVOUR (5 kg batch)
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (39, 6, 13, 0.15,  '2024-12-02');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (40, 6, 18, 0.05,  '2024-12-02');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (41, 6, 26, 0.02,  '2024-12-02');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (42, 6, 23, 0.03,  '2024-12-02');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (43, 6, 2,  4.75,  '2024-12-02');

-- ORANGE LIQUEUR ESSENCE (0.75 kg trial batch)
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (44, 8, 10, 0.225, '2026-02-24');
INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum) VALUES (45, 8, 1,  0.525, '2026-02-24');

COMMIT;
