-- Option lists of the enumerated parameters. A parameter names its list in the
-- "options" column of parameters.sql; lists used by one parameter are named after it.
-- Values of the DI/DO lists run 0..n-1 without gaps: the DI/DO grids offer exactly
-- those values. Descriptions are Chinese source texts, translated at run time.
-- A list keeps the order written here.

CREATE TEMP TABLE option_src (
    list        TEXT NOT NULL,
    value       INTEGER NOT NULL,
    description TEXT NOT NULL
);

INSERT INTO option_src (list, value, description) VALUES
    -- DI terminal function assignment
    ('DI-M', 0, '无功能'),
    ('DI-M', 1, '伺服使能'),
    ('DI-M', 2, '报警复位'),
    ('DI-M', 3, '正向超程'),
    ('DI-M', 4, '反向超程'),
    ('DI-M', 5, '零速箝位'),
    ('DI-M', 6, '紧急停止'),
    ('DI-M', 7, '正向点动'),
    ('DI-M', 8, '反向点动'),
    -- DI active logic
    ('DI-F', 0, '输入OFF时有效'),
    ('DI-F', 1, '输入ON时有效'),
    -- DO terminal function assignment
    ('DO-M', 0, '无功能'),
    ('DO-M', 1, '伺服准备好'),
    ('DO-M', 2, '故障输出'),
    ('DO-M', 3, '定位完成'),
    ('DO-M', 4, '零速信号'),
    ('DO-M', 5, '速度到达'),
    ('DO-M', 6, '抱闸输出'),
    -- DO active logic
    ('DO-F', 0, '输出OFF时有效'),
    ('DO-F', 1, '输出ON时有效'),
    -- the function numbers read from the DI/DO function registers, shown after the "n-"
    ('FN-DI', 0, '0-无功能'),
    ('FN-DI', 1, '1-伺服使能'),
    ('FN-DI', 2, '2-报警复位'),
    ('FN-DI', 3, '3-正向超程'),
    ('FN-DI', 4, '4-反向超程'),
    ('FN-DI', 5, '5-零速箝位'),
    ('FN-DI', 6, '6-紧急停止'),
    ('FN-DI', 7, '7-正向点动'),
    ('FN-DI', 8, '8-反向点动'),
    ('FN-DO', 0, '0-无功能'),
    ('FN-DO', 1, '1-伺服准备好'),
    ('FN-DO', 2, '2-故障输出'),
    ('FN-DO', 3, '3-定位完成'),
    ('FN-DO', 4, '4-零速信号'),
    ('FN-DO', 5, '5-速度到达'),
    ('FN-DO', 6, '6-抱闸输出'),
    -- stop modes
    ('STOP', 0, '自由停机, 保持自由运行状态'),
    ('STOP', 1, '零速停机, 保持自由运行状态'),
    ('STOP', 2, '零速停机, 保持DB状态'),
    ('STOP', 3, 'DB停机, 保持DB状态'),
    ('P001E', 0, '自由停机, 保持自由运行状态'),
    ('P001E', 1, '零速停机, 保持自由运行状态'),
    ('P001E', 2, '零速停机, 保持DB状态'),
    ('P001E', 3, 'DB停机, 保持DB状态'),
    ('P001E', 4, 'DB停机, 保持自由运行状态'),
    ('P001C', 0, '自由停机, 保持自由运行状态'),
    ('P001C', 1, '零速停机, 位置保持锁定状态'),
    ('P001C', 2, '零速停机, 保持自由运行状态'),
    ('P001D', 0, '自由停机, 保持自由运行状态'),
    ('P001D', 1, 'DB停机, 保持自由运行状态'),
    ('P001D', 2, 'DB停机, 保持DB状态'),
    -- basic control
    ('P000A', 0, '速度模式'),
    ('P000A', 1, '位置模式'),
    ('P000A', 2, '转矩模式'),
    ('P000B', 0, '以CW为正转方向'),
    ('P000B', 1, '以CCW为正转方向'),
    ('P000C', 0, '增量位置模式'),
    ('P000C', 1, '绝对位置线性模式'),
    ('P000C', 2, '绝对位置旋转模式'),
    ('P0029', 0, '使用内置制动电阻'),
    ('P0029', 1, '使用外接制动电阻并且自然冷却'),
    ('P0029', 2, '使用外接制动电阻并且强迫风冷'),
    -- gain tuning; the "n-" prefixes keep the sorted drop-down lists in value order
    ('P0201', 0, '0-手动增益调整'),
    ('P0201', 1, '1-刚性等级自动调整'),
    ('P0232', 0, '0-梯形速度指令'),
    ('P0232', 1, '1-正弦速度指令'),
    -- speed and torque control
    ('P0601', 0, '主速度指令A来源'),
    ('P0601', 1, '辅助速度指令B来源'),
    ('P0601', 2, 'A+B'),
    ('P0601', 3, 'A/B切换'),
    ('P0601', 4, '通讯给定'),
    ('P070F', 0, '内部转矩限制'),
    ('P070F', 1, '外部转矩限制'),
    ('P070F', 2, '内部与外部取小'),
    -- status
    ('P092B', 0, '未就绪(nrd)'),
    ('P092B', 1, '就绪(rdy)'),
    ('P092B', 2, '运行(run)'),
    ('P092B', 3, '报警'),
    -- communication: the drive treats any non-zero value as low word first
    ('P8006', 0, '高字在前'),
    ('P8006', 1, '低字在前'),
    -- encoder
    ('P9026', 11170, '17位绝对式编码器'),
    ('P9026', 11230, '23位绝对式编码器'),
    ('P9026', 19240, '24位绝对值编码器');
