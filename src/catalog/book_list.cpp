#include "catalog/book_list.h"

#include "data/dataset.h"

#include <QHash>

namespace BookList {
namespace {

const QHash<QString, QString> &captions()
{
    static const QHash<QString, QString> map = {
        {"tm", "条码"}, {"zbh", "本季征订序号"}, {"isbn", "ISBN(统一书号)"}, {"sm", "书名"},
        {"fsm", "副书名"}, {"fsm2", "副书名2"}, {"tsh1", "题上项1"}, {"tsh2", "题上项2"},
        {"wwsm", "外文书名"}, {"wwsm2", "外文书名2"}, {"csm", "丛书名称"}, {"csm2", "丛书名称2"},
        {"ztbm", "中图法分类编码"}, {"ztmc", "分级适用专业"}, {"ywbm", "业务分类编码"},
        {"ywbc", "业务分类名称"}, {"zpbm", "制品分类编码"}, {"zpmc", "制品分类名称"},
        {"syfw", "适用范围名称"}, {"syzy", "适用专业名称"}, {"nrdj", "内容分级"},
        {"ghbm", "供货商编号"}, {"ghmc", "供货商名称"}, {"cbbm", "出版社编号"}, {"cbmc", "版别"},
        {"zz", "作者"}, {"zz2", "作者2"}, {"yz", "译者"}, {"yz2", "译者2"}, {"chr", "策划人"},
        {"bj", "编辑"}, {"bj2", "编辑2"}, {"bs", "编室"}, {"yc", "印次"}, {"kb", "开本"},
        {"zzgg", "纸张规格"}, {"zdfs", "装订方式"}, {"bcys", "本次印数"}, {"dwyz", "单位印张"},
        {"zyz", "总印张"}, {"bzyz", "标准印张"}, {"qzs", "千字数"}, {"ys", "页数"},
        {"mbcs", "每包册数"}, {"cbrq", "出版日期"}, {"dj", "估定价"}, {"sfxs", "是否新书"},
        {"jj", "内容简介"}, {"fmtp", "封面图片"}, {"nrjj", "内容简介"}, {"ydsl", "已订"},
    };
    return map;
}

// The hidden columns of the category grid, in order.
const QStringList &categoryHidden()
{
    static const QStringList list = {
        "YC", "ZZ", "CBRQ", "KB", "TM", "ZDFS", "QZS", "CBBM", "GHBM", "GHMC", "FSM", "FSM2", "TSH1",
        "TSH2", "WWSM", "WWSM2", "CSM", "CSM2", "ZTBM", "YWBM", "YWBC", "ZPBM", "ZPMC", "SYFW", "SYZY",
        "NRDJ", "ZZ2", "YZ", "YZ2", "CHR", "BJ", "BJ2", "BS", "ZZGG", "BCYS", "DWYZ", "ZYZ", "BZYZ",
        "YS", "MBCS", "SFXS", "YDSL"};
    return list;
}

void addHidden(GridColumns &cols, const QStringList &fields)
{
    for (const QString &f : fields)
        cols.addField(f, caption(f)).visible = false;
}

} // namespace

QStringList browseColumnList()
{
    static const QStringList list = QStringLiteral(
        "sm,tm,zbh,yc,zz,dj,cbrq,kb,zdfs,Qzs,cbbm,cbmc,ghbm,ghmc,fsm,fsm2,tsh1,tsh2,wwsm,wwsm2,isbn,"
        "csm,csm2,ztbm,ztmc,ywbm,ywbc,zpbm,zpmc,syfw,syzy,nrdj,zz2,yz,yz2,chr,bj,bj2,bs,zzgg,bcys,"
        "dwyz,zyz,bzyz,ys,mbcs,sfxs,jj").split(u',');
    return list;
}

QString browseColumns()
{
    return browseColumnList().join(u',');
}

QString caption(const QString &column)
{
    return captions().value(column.toLower());
}

void prepare(DataSet &books)
{
    for (auto it = captions().cbegin(); it != captions().cend(); ++it)
        books.defineField(it.key(), it.value());
    for (const char *f : {"bcys", "dwyz", "zyz", "bzyz", "qzs", "ys", "mbcs", "ydsl"})
        books.defineField(QString::fromLatin1(f), caption(QString::fromLatin1(f)), QStringLiteral("#,"));
    books.defineField(QStringLiteral("dj"), caption(QStringLiteral("dj")), QStringLiteral("#,.00;#,.00;0"));
    if (!books.hasField(QStringLiteral("NRJJ")))
        books.addCalculatedField(QStringLiteral("NRJJ"), QStringLiteral("内容简介"), [](const DataSet &ds, int row) {
            return ds.isNull(row, QStringLiteral("jj")) ? QVariant(QString()) : QVariant(QStringLiteral("(内容简介)"));
        });
}

GridColumns categoryColumns(int titleWidth)
{
    GridColumns cols;
    cols.addMark(GridColumns::MarkTitle, 28);
    cols.addField(QStringLiteral("CBMC"), QStringLiteral("版别"), 83);
    cols.addField(QStringLiteral("SM"), QStringLiteral("书名"), titleWidth);
    cols.addField(QStringLiteral("ZTMC"), QStringLiteral("分级适用专业"), 87);
    cols.addField(QStringLiteral("DJ"), QStringLiteral("估定价"), 53);
    cols.addField(QStringLiteral("NRJJ"), QStringLiteral("内容简介"), 65);
    cols.addField(QStringLiteral("ZBH"), QStringLiteral("本季征订序号"), 82);
    cols.addField(QStringLiteral("ISBN"), QStringLiteral("ISBN(统一书号) "), 104);
    addHidden(cols, categoryHidden());
    return cols;
}

GridColumns publisherColumns()
{
    GridColumns cols;
    cols.addMark(GridColumns::MarkTitle, 28);
    cols.addField(QStringLiteral("CBMC"), QStringLiteral("版别"), 76);
    cols.addField(QStringLiteral("SM"), QStringLiteral("书名"), 303);
    cols.addField(QStringLiteral("ZTMC"), QStringLiteral("分级适用专业"), 102);
    cols.addField(QStringLiteral("NRJJ"), QStringLiteral("内容简介"), 75);
    cols.addField(QStringLiteral("DJ"), QStringLiteral("估定价"), 53);
    cols.addField(QStringLiteral("ZBH"), QStringLiteral("本季征订序号"), 77);
    cols.addField(QStringLiteral("ISBN"), QStringLiteral("ISBN(统一书号) "), 109);
    cols.addField(QStringLiteral("TM"), QStringLiteral("条码"), 80).visible = false;
    cols.addField(QStringLiteral("YC"), QStringLiteral("印次"), 40);
    cols.addField(QStringLiteral("ZZ"), QStringLiteral("作者"), 80).visible = false;
    cols.addField(QStringLiteral("CBRQ"), QStringLiteral("出版日期"), 70);
    addHidden(cols, {"KB", "ZDFS", "QZS", "CBBM", "GHBM", "GHMC", "FSM", "FSM2", "TSH1", "TSH2", "WWSM",
                     "WWSM2", "CSM", "CSM2", "ZTBM", "YWBM", "YWBC", "ZPBM", "ZPMC", "SYFW", "SYZY", "NRDJ",
                     "ZZ2", "YZ", "YZ2", "CHR", "BJ", "BJ2", "BS", "ZZGG", "BCYS", "DWYZ", "ZYZ", "BZYZ", "YS",
                     "MBCS", "SFXS", "YDSL"});
    return cols;
}

} // namespace BookList
