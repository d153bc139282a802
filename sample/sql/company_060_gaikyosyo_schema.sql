/* Company database: the assignment of accounts to the items of the
   business-overview statement. No primary key; an assignment follows its
   sub-account (HCODE ' ' is the account as a whole) when that is renumbered
   or deleted. */
CREATE TABLE GAIKYOSYO_ITEM (
  FORMVER INTEGER NOT NULL,
  ID      INTEGER NOT NULL,
  ITEMNO  VARCHAR(4) CHARACTER SET ASCII DEFAULT '',
  KCODE   VARCHAR(6) CHARACTER SET ASCII DEFAULT '',
  HCODE   VARCHAR(6) CHARACTER SET ASCII DEFAULT ''
);
ALTER TABLE GAIKYOSYO_ITEM ADD CONSTRAINT GAIKYOSYO_ITEM_CO010
  FOREIGN KEY (KCODE, HCODE) REFERENCES HOJOMST (KCODE, HCODE) ON UPDATE CASCADE ON DELETE CASCADE;
COMMIT;
