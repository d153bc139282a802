/* Sample general company: the business-overview statement's item
   assignments (FORMVER 1, the set the linkage export reads and writes).
   ID 7 is the main-account block, ID 17 the monthly block; ITEMNO is the
   item code. HCODE ' ' takes the account as a whole. Items for which the
   sample chart has no account (for example 兼業売上, 期首・期末棚卸高,
   建物, 支払手形) have no rows and stay empty in the file; the nine total
   items read the trial balance's summary lines and need none. */

/* Main block. */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '010', '4111', ' ');  /* 売上（収入）高: 売上高 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '050', '5111', ' ');  /* 原材料費（仕入高）: 仕入高 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '130', '6111', ' ');  /* 従業員給料: 給料手当 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '160', '6211', ' ');  /* 地代家賃: 地代家賃 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '180', '7211', ' ');  /* 支払利息割引料 (old form only) */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '210', '1111', ' ');  /* 現金預金: 現金 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '210', '1121', ' ');  /*          普通預金 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '230', '1211', '01'); /* 売掛金: two customers */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '230', '1211', '02');
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '240', '1311', ' ');  /* 棚卸資産: 商品 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 7, '320', '2111', ' ');  /* 買掛金 */

/* Monthly block. */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 17, '010', '4111', ' '); /* 売上（収入）金額１ */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 17, '030', '5111', ' '); /* 仕入金額１ */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 17, '060', '6111', ' '); /* 人件費: 給料手当 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 17, '060', '6411', ' '); /*         法定福利費 */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 17, '070', '2321', ' '); /* 源泉徴収税額: 預り金 (credit side) */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 17, '080', '6311', ' '); /* その他: 旅費交通費 */

/* An assignment set of another form version, kept by the accounting
   product's closing screens; the export neither reads nor removes it. */
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (2, 7, '010', '4111', ' ');
INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (2, 7, '210', '1111', ' ');

COMMIT;
