/* File-manager database: file contents moved through the data server. */
CREATE TABLE FILETRANS (
  CONTENT_ID VARCHAR(40) CHARACTER SET ASCII NOT NULL PRIMARY KEY,
  CONTENT    BLOB SUB_TYPE BINARY
);
COMMIT;
