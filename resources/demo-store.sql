-- Demo store: the two tables of the store's own system that the importer reads and writes, with a small
-- pharmacy kind tree. Runs unchanged on SQLite, PostgreSQL and SQL Server: plain types, names left unquoted
-- (PostgreSQL folds them to lower case, which the importer's statements do as well), one statement per ";"
-- at the end of a line.

-- One row per product kind. Product types have leve 0 and no Parent; a category names its type in SRemark
-- and carries its big-kind code in Remark.
create table ProdKind (
    kinid varchar(20) not null primary key,
    kindname varchar(60) not null,
    leve integer not null default 0,
    Parent varchar(20),
    Remark varchar(20),
    SRemark varchar(20),
    Spell varchar(60),
    Sortno integer default 0
);

-- One row per product item. Cpxm_bm is the product code; the importer writes the twenty columns from
-- Cpxm_bm to Cpzk, the others keep their defaults.
create table Cpxm (
    Cpxm_bm varchar(40) not null unique,
    Cpxm_mc varchar(200),
    Cpxm_jp varchar(100),
    Cpxm_dw varchar(20),
    Cpxm_ysdj double precision default 0,
    Cpxm_cbdj double precision default 0,
    CPxm_sl double precision default 0,
    Cpxm_zdzk double precision default 1,
    Cpxm_Bkind varchar(20),
    Cpxm_ckbm varchar(20),
    Cpxm_fdbh varchar(20),
    Cpxm_kybm varchar(1),
    Cpxm_kymc varchar(20),
    Cpxm_Skind varchar(20),
    Cpxm_tcms varchar(20),
    Cpxm_tcbl double precision default 0,
    Cpxm_tcfs varchar(20),
    Cpxm_jhdj double precision default 0,
    Cpxm_fw varchar(1),
    Cpzk double precision default 1,
    Cpxm_gg varchar(60),
    Cpxm_cd varchar(100),
    Cpxm_txm varchar(30),
    Cpxm_zt varchar(1) default '1'
);

-- Product types. 05 has no categories.
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('01', '西药', 0, null, '', '', 'XY', 1);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('02', '中成药', 0, null, '', '', 'ZCY', 2);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('03', '中药饮片', 0, null, '', '', 'ZYYP', 3);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('04', '医疗器械', 0, null, '', '', 'YLQX', 4);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('05', '保健食品', 0, null, '', '', 'BJSP', 5);

-- Categories of 西药. 0101 is the parent of 010101 and 010102, so only those two are offered in its place;
-- 01CF holds prescription drugs and is never offered.
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0101', '抗感染药', 1, '01', 'XY1', '01', 'KGRY', 1);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('010101', '青霉素类', 2, '0101', 'XY11', '01', 'QMSL', 1);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('010102', '头孢菌素类', 2, '0101', 'XY12', '01', 'TBJSL', 2);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0102', '解热镇痛药', 1, '01', 'XY2', '01', 'JRZTY', 2);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0103', '消化系统用药', 1, '01', 'XY3', '01', 'XHXTYY', 3);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('01CF', '处方药', 1, '01', 'XYCF', '01', 'CFY', 9);

-- Categories of 中成药, with a prescription kind whose kinid holds CF in the middle.
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0201', '感冒类', 1, '02', 'ZC1', '02', 'GML', 1);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0202', '清热解毒类', 1, '02', 'ZC2', '02', 'QRJDL', 2);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('02CF01', '处方中成药', 1, '02', 'ZCCF', '02', 'CFZCY', 9);

-- Categories of 中药饮片 and 医疗器械.
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0301', '根茎类', 1, '03', 'YP1', '03', 'GJL', 1);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0302', '花叶类', 1, '03', 'YP2', '03', 'HYL', 2);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0401', '医用耗材', 1, '04', 'QX1', '04', 'YYHC', 1);
insert into ProdKind (kinid, kindname, leve, Parent, Remark, SRemark, Spell, Sortno) values ('0402', '家用器械', 1, '04', 'QX2', '04', 'JYQX', 2);

-- Two products already in the store: the letter A is taken.
insert into Cpxm (Cpxm_bm, Cpxm_mc, Cpxm_jp, Cpxm_dw, Cpxm_ysdj, Cpxm_cbdj, CPxm_sl, Cpxm_zdzk, Cpxm_Bkind, Cpxm_ckbm, Cpxm_fdbh, Cpxm_kybm, Cpxm_kymc, Cpxm_Skind, Cpxm_tcms, Cpxm_tcbl, Cpxm_tcfs, Cpxm_jhdj, Cpxm_fw, Cpzk) values ('A0001', '阿莫西林胶囊', 'AMXLJN', '盒', 12.5, 8, 20, 0.9, 'XY11', 'CK000', 'FD000', '1', '可供', '010101', '不提成', 0, '无', 8, '0', 1);
insert into Cpxm (Cpxm_bm, Cpxm_mc, Cpxm_jp, Cpxm_dw, Cpxm_ysdj, Cpxm_cbdj, CPxm_sl, Cpxm_zdzk, Cpxm_Bkind, Cpxm_ckbm, Cpxm_fdbh, Cpxm_kybm, Cpxm_kymc, Cpxm_Skind, Cpxm_tcms, Cpxm_tcbl, Cpxm_tcfs, Cpxm_jhdj, Cpxm_fw, Cpzk) values ('A0002', '板蓝根颗粒', 'BLGKL', '袋', 15, 10.2, 35, 0.95, 'ZC2', 'CK000', 'FD000', '1', '可供', '0202', '不提成', 0, '无', 10.2, '0', 1);
