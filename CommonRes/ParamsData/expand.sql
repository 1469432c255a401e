-- Turns the staged rows of options.sql and parameters.sql into PARAMETER and SELECTS
-- rows of product 1, axis 1, and refuses inconsistent source.

-- Every named option list must exist, and every option must lie in its parameter's range.
CREATE TEMP TABLE source_errors AS
    SELECT 'unknown option list ' || p.options || ' of ' || p.code AS problem
      FROM param_src p
     WHERE p.options IS NOT NULL
       AND NOT EXISTS (SELECT 1 FROM option_src o WHERE o.list = p.options)
    UNION ALL
    SELECT 'option ' || o.value || ' of ' || p.code || ' out of range'
      FROM param_src p JOIN option_src o ON o.list = p.options
     WHERE o.value < p.min OR o.value > p.max
    UNION ALL
    SELECT 'address of ' || code || ' differs from its digits'
      FROM param_src
     WHERE printf('%04X', register) <> substr(code, 2);

-- The problems are printed, then the failing CHECK stops the build.
SELECT problem FROM source_errors;
CREATE TEMP TABLE abort_on_error (problem TEXT CHECK (problem IS NULL));
INSERT INTO abort_on_error SELECT problem FROM source_errors;

INSERT INTO PARAMETER (sDbFileVersion, nProductID, nAxisID, nDeviceID, bSign, iCurValue,
                       iDefaultValue, iMax, iMin, dwWidth, dwAddress, dwInput, sGroupNO,
                       sNum, sName, sUnit, nModify, nEffective, nLimit)
    SELECT '', 1, 1, 0, sign, def, def, max, min, width, register,
           CASE WHEN options IS NULL THEN 0 ELSE 1 END,
           grp, code, name, unit, modify, effective, hidden
      FROM param_src
     ORDER BY rowid;

INSERT INTO SELECTS (nProductID, nAxisID, sNum, nIndex, iValue, sDescription, sDbFileVersion)
    SELECT 1, 1, p.code,
           ROW_NUMBER() OVER (PARTITION BY p.code ORDER BY o.rowid) - 1,
           o.value, o.description, ''
      FROM param_src p JOIN option_src o ON o.list = p.options
     ORDER BY p.code, o.rowid;
