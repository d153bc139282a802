/* File-manager database: file contents moved through the data server. */
CREATE TABLE FILETRANS (
  CONTENT_ID VARCHAR(40) CHARACTER SET ASCII NOT NULL PRIMARY KEY,
  CONTENT    BLOB SUB_TYPE BINARY
);
COMMIT;

/* A file of the data server read into a blob, and a blob written into a
   file there, by the project's UDR plug-in (paths confined to its data
   root; the file is replaced only when written whole). */
SET TERM ^ ;
CREATE FUNCTION SP_FILETOBLOB (FILENAME VARCHAR(254))
RETURNS BLOB SUB_TYPE BINARY
EXTERNAL NAME 'miruza_udr!filetoblob' ENGINE UDR^

CREATE FUNCTION SP_BLOBTOFILE (FILENAME VARCHAR(254), CONTENT BLOB SUB_TYPE BINARY)
RETURNS BIGINT
EXTERNAL NAME 'miruza_udr!blobtofile' ENGINE UDR^
GRANT EXECUTE ON FUNCTION SP_FILETOBLOB TO PUBLIC^
GRANT EXECUTE ON FUNCTION SP_BLOBTOFILE TO PUBLIC^
SET TERM ; ^
COMMIT;
