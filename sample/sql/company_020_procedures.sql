/* Company database: generators and procedures shared by every data set.
   The trial-balance and journal procedures are added in their own files. */
SET TERM ^ ;

/* Journal lines get their number from SIWAKE_REC_GEN when none is given. */
CREATE TRIGGER SIWAKE_REC FOR SIWAKE ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.REC IS NULL) THEN
    NEW.REC = NEXT VALUE FOR SIWAKE_REC_GEN;
END^

SET TERM ; ^
COMMIT;
