-- The local tables. Each table is one file in the program folder's Data/ folder, named
-- after the table with ".DAT" (ReportTable.DAT, ...), an SQLite database holding that one
-- table. The build creates the files from this schema; the program never creates them.
-- One statement per table, each ended by a semicolon.

-- One row per line of the payment summary.
CREATE TABLE ReportTable(Product TEXT, Value_Date TEXT, No_Of_Credit INTEGER, Amount REAL);

-- One row per credit record of the payment summary; every column text.
CREATE TABLE ReportTableDetail(Product TEXT, NameEng TEXT, "Credit Amount" TEXT, CreditAccount TEXT, TotalInvoidAmount TEXT, TotalWHTAmount TEXT, DeliveryMode TEXT, PickupLocation TEXT, VATAmount TEXT);

-- At most one row: the account of the credit record last checked (up to 25 characters) and
-- its payee's names (up to 100 characters each).
CREATE TABLE addAccBatchError(ACCOUNT TEXT, BENE_NAME_EN TEXT, BENE_NAME_TH TEXT);
