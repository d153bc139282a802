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

/* Ends the open screen row of an operator and job. An ended row says
   nothing any more, so it is removed; the state tells only how it ended. */
CREATE PROCEDURE OPINF_DELETE (OPCODE INTEGER, JOBNAME VARCHAR(100), STATE VARCHAR(20))
AS
BEGIN
  DELETE FROM OPINF WHERE OPCODE = :OPCODE AND JOBNAME = :JOBNAME;
END^

SET TERM ; ^
COMMIT;
