/* Company database, general corporation: the master's code type, industry
   code and unknown-account code as opening the data set reads them (a
   corporation's code type is 1; the industry is a number). */
UPDATE ACCDEF1 SET CODETYPE = 1, GYOUSHU = '52', FUMEI_KCODE = '9111' WHERE REC = 1;

COMMIT;
