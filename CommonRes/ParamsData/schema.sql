-- Tables of the parameter database. A project file (.KVF) is a copy of the default
-- database with its own device list and parameter rows, so both share this schema.
-- Columns are read by name; their order here is the order the program reads them.

CREATE TABLE FILEHEAD (
    sDbFileVersion  TEXT    DEFAULT '',
    sMemo           TEXT    DEFAULT '',
    bIsSystem       INTEGER DEFAULT 0
);

CREATE TABLE DEVICELIST (
    nDeviceID       INTEGER DEFAULT 0,
    sDeviceName     TEXT    DEFAULT '',
    nStationNo      INTEGER DEFAULT 0,
    sIpAddress      TEXT    DEFAULT '',
    nProductID      INTEGER DEFAULT 0
);

CREATE TABLE PRODUCTS (
    nProductID          INTEGER DEFAULT 0,
    sProductModel       TEXT    DEFAULT '',
    nAxisCount          INTEGER DEFAULT 1,
    sMemo               TEXT    DEFAULT '',
    nCommunicationMode  INTEGER DEFAULT 0
);

CREATE TABLE PARAMETER (
    sDbFileVersion  TEXT    DEFAULT '',
    nProductID      INTEGER DEFAULT 0,
    nAxisID         INTEGER DEFAULT 0,
    nDeviceID       INTEGER DEFAULT 0,
    bSign           INTEGER DEFAULT 0,
    iCurValue       INTEGER DEFAULT 0,
    iDefaultValue   INTEGER DEFAULT 0,
    iMax            INTEGER DEFAULT 0,
    iMin            INTEGER DEFAULT 0,
    dwWidth         INTEGER DEFAULT 16,
    dwAddress       INTEGER DEFAULT 0,
    dwInput         INTEGER DEFAULT 0,
    sGroupNO        TEXT    DEFAULT '',
    sNum            TEXT    DEFAULT '',
    sName           TEXT    DEFAULT '',
    sUnit           TEXT    DEFAULT '',
    nModify         INTEGER DEFAULT 0,
    nEffective      INTEGER DEFAULT 0,
    nLimit          INTEGER DEFAULT 0
);
CREATE INDEX PARAMETER_BY_PRODUCT ON PARAMETER (nProductID, nAxisID, sNum);
CREATE INDEX PARAMETER_BY_DEVICE ON PARAMETER (nDeviceID, nAxisID, sNum);

CREATE TABLE SELECTS (
    nProductID      INTEGER DEFAULT 0,
    nAxisID         INTEGER DEFAULT 0,
    sNum            TEXT    DEFAULT '',
    nIndex          INTEGER DEFAULT 0,
    iValue          INTEGER DEFAULT 0,
    sDescription    TEXT    DEFAULT '',
    sDbFileVersion  TEXT    DEFAULT ''
);
CREATE INDEX SELECTS_BY_PRODUCT ON SELECTS (nProductID, nAxisID, sNum);

CREATE TABLE SYSTEMGROUPS (
    nProductID      INTEGER DEFAULT 0,
    nAxisID         INTEGER DEFAULT 0,
    sGroupNO        TEXT    DEFAULT '',
    sGroupName      TEXT    DEFAULT '',
    sDbFileVersion  TEXT    DEFAULT '',
    nGroupIndex     INTEGER DEFAULT 0
);

-- The user's own parameter groups live in CustomParam.xml; a project keeps these two
-- tables empty.
CREATE TABLE CUSTOMGROUPS (
    sGroupName      TEXT    DEFAULT '',
    nGroupIndex     INTEGER DEFAULT 0
);

CREATE TABLE CUSTOMPARAM (
    sGroupName      TEXT    DEFAULT '',
    sNum            TEXT    DEFAULT '',
    nIndex          INTEGER DEFAULT 0
);
