-- File head, products and parameter groups of the default parameter database.

-- The program accepts a default database only with exactly this version and the
-- system flag set; a project made from it carries bIsSystem 0.
INSERT INTO FILEHEAD (sDbFileVersion, sMemo, bIsSystem) VALUES ('1.0.0', '默认参数数据库', 1);

-- sProductModel is the four-character model the drive reports in registers
-- 0x8970/0x8971 (see the defaults of P8970 and P8971: "DR" "V1").
INSERT INTO PRODUCTS (nProductID, sProductModel, nAxisCount, sMemo, nCommunicationMode) VALUES
    (1, 'DRV1', 1, '通用伺服驱动器', 0);

-- Groups of axis 1, in the order the navigation tree lists them. The H groups hold
-- only hidden records (looked up by their exact code), so they show empty unless the
-- user asks to see hidden parameters.
INSERT INTO SYSTEMGROUPS (nProductID, nAxisID, sGroupNO, sGroupName, sDbFileVersion, nGroupIndex) VALUES
    (1, 1, 'P00', '基本控制参数',       '',  1),
    (1, 1, 'P01', '端子输入输出参数',   '',  2),
    (1, 1, 'P02', '增益调整参数',       '',  3),
    (1, 1, 'P03', '滤波与振动抑制参数', '',  4),
    (1, 1, 'P06', '速度控制参数',       '',  5),
    (1, 1, 'P07', '转矩控制参数',       '',  6),
    (1, 1, 'P09', '状态监视参数',       '',  7),
    (1, 1, 'P80', '通讯参数',           '',  8),
    (1, 1, 'P89', '设备标识',           '',  9),
    (1, 1, 'P90', '电机编码器参数',     '', 10),
    (1, 1, 'P91', '版本信息',           '', 11),
    (1, 1, 'H00', '录波记录参数',       '', 12),
    (1, 1, 'H02', '录波记录参数',       '', 13),
    (1, 1, 'H03', 'DI功能选择',         '', 14),
    (1, 1, 'H04', 'DO功能选择',         '', 15),
    (1, 1, 'H05', '录波记录参数',       '', 16),
    (1, 1, 'H06', '录波记录参数',       '', 17),
    (1, 1, 'H07', '录波记录参数',       '', 18),
    (1, 1, 'H08', '录波记录参数',       '', 19);
