// The detail pane under the title lists: fields in display format, classifications, long
// texts and cover pictures following the list's current row, and what stays when the list
// turns empty.
#include "catalog_fixture.h"
#include "scripted_prompter.h"

#include "catalog/book_detail_pane.h"
#include "catalog/book_list.h"
#include "grid/grid_view.h"
#include "widgets/toggle_strip_widget.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace {

QImage shown(const QLabel *label)
{
    return label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

class DetailPaneTest : public CatalogFixture {
protected:
    void SetUp() override
    {
        tree.copyFromDist(QStringLiteral("bookimages"));
        tree.writeFile(QStringLiteral("bookimages/broken.jpg"), "not a picture");

        insertBook({{"tm", "T1"}, {"zbh", "1"}, {"sm", "高等数学"}, {"isbn", "9787040001"}, {"dj", 12.5},
                    {"bcys", 12345}, {"zz", "张三"}, {"ztmc", "数学"}, {"fmtp", "cover01.jpg"}});
        insertBook({{"tm", "T2"}, {"zbh", "2"}, {"sm", "大学物理"}, {"dj", 0}, {"fmtp", "missing.jpg"}});
        insertBook({{"tm", "T3"}, {"zbh", "3"}, {"sm", "线性代数"}, {"fmtp", "cover02.jpg"}});
        insertBook({{"tm", "T4"}, {"zbh", "4"}, {"sm", "概率论"}, {"fmtp", "broken.jpg"}});

        QStringList names, marks;
        QVariantList values{QStringLiteral("T1")};
        for (const QString &c : TBookDetailPane::longTextColumns()) {
            names << c;
            marks << QStringLiteral("?");
            values << c + QStringLiteral(" of T1");
        }
        Sql::exec(db, QStringLiteral("insert into detsnrty (tm,%1) values (?,%2)").arg(names.join(u','), marks.join(u',')),
                  values);
        Sql::exec(db, QStringLiteral("insert into detsnrty (tm,zjml) values ('T3','目录 T3')"));
        Sql::exec(db, QStringLiteral("insert into debookotype (id,name,pno) values ('C1','规划教材','P1'),('C2','精品课程','P1')"));
        Sql::exec(db, QStringLiteral("insert into debook2type (bh,cid) values ('T1','C1'),('T1','C2'),('T3','C2')"));

        books = openBooks();
        BookList::prepare(*books);
        pane = std::make_unique<TBookDetailPane>(errors);
        pane->setLoadsPictures(true);
        pane->setBookList(books.get());
    }

    QString field(const char *column) const { return pane->fieldEdit(QString::fromLatin1(column))->text(); }
    QString longText(const QString &column) const { return pane->longTextEdit(column)->toPlainText(); }
    QStringList classificationNames()
    {
        QStringList out;
        DataSet &types = pane->classifications();
        for (int row = 0; row < types.recordCount(); ++row)
            out << types.text(row, QStringLiteral("NAME"));
        return out;
    }
    QImage file(const QString &relative) const
    {
        return QImage(tree.path(relative)).convertToFormat(QImage::Format_ARGB32);
    }
    void moveTo(const QString &tm) { ASSERT_TRUE(books->locate(QStringLiteral("tm"), tm)); }

    ScriptedPrompter errors;
    std::unique_ptr<DataSet> books;
    std::unique_ptr<TBookDetailPane> pane;
};

TEST_F(DetailPaneTest, FieldsShowTheCurrentRowInDisplayFormat)
{
    struct Case {
        const char *tm;
        QStringList expected;   // sm, dj, bcys, isbn, ztmc
    };
    const Case cases[] = {
        {"T1", {"高等数学", "12.50", "12,345", "9787040001", "数学"}},
        {"T2", {"大学物理", "0", "", "", ""}},
        {"T1", {"高等数学", "12.50", "12,345", "9787040001", "数学"}},
    };
    for (const Case &c : cases) {
        moveTo(QString::fromLatin1(c.tm));
        EXPECT_EQ((QStringList{field("sm"), field("dj"), field("bcys"), field("isbn"), field("ztmc")}), c.expected)
            << c.tm;
    }
    EXPECT_EQ(pane->fieldEdit(QStringLiteral("sm"))->accessibleName(), QStringLiteral("书名"));
    EXPECT_TRUE(pane->fieldEdit(QStringLiteral("sm"))->isReadOnly());
}

TEST_F(DetailPaneTest, LongTextsAndClassificationsFollowTheTitle)
{
    const QStringList columns = TBookDetailPane::longTextColumns();
    ASSERT_EQ(columns.size(), 18);

    moveTo(QStringLiteral("T1"));
    for (const QString &c : columns)
        EXPECT_EQ(longText(c), c + QStringLiteral(" of T1"));
    EXPECT_EQ(classificationNames(), (QStringList{"规划教材", "精品课程"}));

    moveTo(QStringLiteral("T2"));   // no long texts, no classifications
    for (const QString &c : columns)
        EXPECT_EQ(longText(c), QString()) << c.toStdString();
    EXPECT_TRUE(classificationNames().isEmpty());

    moveTo(QStringLiteral("T3"));
    EXPECT_EQ(longText(QStringLiteral("zjml")), QStringLiteral("目录 T3"));
    EXPECT_EQ(longText(QStringLiteral("nrty")), QString());
    EXPECT_EQ(classificationNames(), QStringList{"精品课程"});

    auto *grid = pane->findChild<DbGrid *>(QStringLiteral("DbgbookType"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->dataSet(), &pane->classifications());
    EXPECT_TRUE(errors.shown.isEmpty()) << errors.texts().join(u'|').toStdString();
}

TEST_F(DetailPaneTest, MissingCoverShowsBothFallbackPictures)
{
    moveTo(QStringLiteral("T1"));
    EXPECT_EQ(shown(pane->smallPicture()), file(QStringLiteral("bookimages/cover01.jpg")));
    EXPECT_EQ(shown(pane->bigPicture()), file(QStringLiteral("bookimages/big/cover01.jpg")));

    moveTo(QStringLiteral("T2"));
    EXPECT_EQ(shown(pane->smallPicture()), file(QStringLiteral("bookimages/nocover.bmp")));
    EXPECT_EQ(shown(pane->bigPicture()), file(QStringLiteral("bookimages/big/nocover.bmp")));
    EXPECT_TRUE(errors.shown.isEmpty());
}

TEST_F(DetailPaneTest, UnreadableCoverShowsTheFallbackAndIsToldOncePerFile)
{
    moveTo(QStringLiteral("T1"));
    moveTo(QStringLiteral("T4"));   // broken.jpg exists only among the small pictures
    ASSERT_EQ(errors.shown.size(), 1);
    EXPECT_TRUE(errors.shown[0].text.contains(QStringLiteral("broken.jpg"))) << errors.shown[0].text.toStdString();
    EXPECT_EQ(errors.shown[0].flags, MsgFlags::Warning);
    EXPECT_EQ(shown(pane->smallPicture()), file(QStringLiteral("bookimages/nocover.bmp")));
    EXPECT_EQ(shown(pane->bigPicture()), file(QStringLiteral("bookimages/big/nocover.bmp")));
    EXPECT_EQ(field("sm"), QStringLiteral("概率论"));

    // Stepping over the title again, or in another pane, tells nothing more.
    for (const char *tm : {"T1", "T4", "T3", "T4"})
        moveTo(QString::fromLatin1(tm));
    TBookDetailPane other(errors);
    other.setLoadsPictures(true);
    other.setBookList(books.get());
    EXPECT_EQ(shown(other.smallPicture()), file(QStringLiteral("bookimages/nocover.bmp")));
    EXPECT_EQ(errors.shown.size(), 1) << errors.texts().join(u'|').toStdString();

    // A fallback that cannot be read either gives way to the placeholder, told once too.
    tree.writeFile(QStringLiteral("bookimages/nocover.bmp"), "damaged");
    for (const char *tm : {"T2", "T1", "T2"})
        moveTo(QString::fromLatin1(tm));
    ASSERT_EQ(errors.shown.size(), 2) << errors.texts().join(u'|').toStdString();
    EXPECT_TRUE(errors.shown[1].text.contains(QStringLiteral("nocover.bmp")));
    EXPECT_EQ(shown(pane->smallPicture()),
              TBookDetailPane::placeholderPicture().toImage().convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(shown(pane->bigPicture()), file(QStringLiteral("bookimages/big/nocover.bmp")));
}

TEST_F(DetailPaneTest, WindowsCoverNamesFindTheirFiles)
{
    Sql::exec(db, QStringLiteral("update debooks set fmtp='COVER02.JPG   ' where tm='T3'"));
    books->open();
    moveTo(QStringLiteral("T3"));
    EXPECT_EQ(shown(pane->smallPicture()), file(QStringLiteral("bookimages/cover02.jpg")));
    EXPECT_EQ(shown(pane->bigPicture()), file(QStringLiteral("bookimages/big/cover02.jpg")));
    EXPECT_TRUE(errors.shown.isEmpty()) << errors.texts().join(u'|').toStdString();
}

TEST_F(DetailPaneTest, EmptyResultClearsFieldsButKeepsTheRest)
{
    moveTo(QStringLiteral("T1"));
    books->setStatement(QStringLiteral("select * from qrydebooks where 1=0"));
    books->open();

    EXPECT_EQ(field("sm"), QString());
    EXPECT_EQ(field("dj"), QString());
    EXPECT_EQ(longText(QStringLiteral("nrty")), QStringLiteral("nrty of T1"));
    EXPECT_EQ(classificationNames(), (QStringList{"规划教材", "精品课程"}));
    EXPECT_EQ(shown(pane->bigPicture()), file(QStringLiteral("bookimages/big/cover01.jpg")));

    books->setStatement(QStringLiteral("select * from qrydebooks order by zbh"));
    books->open();   // back to rows: the first title again
    EXPECT_EQ(field("sm"), QStringLiteral("高等数学"));
}

TEST_F(DetailPaneTest, HostWithoutPicturesKeepsThePlaceholders)
{
    TBookDetailPane planned(errors);
    const QImage placeholder = shown(planned.bigPicture());
    ASSERT_FALSE(placeholder.isNull());
    EXPECT_EQ(shown(planned.smallPicture()), placeholder);
    planned.setBookList(books.get());
    for (const char *tm : {"T1", "T2", "T3"}) {
        moveTo(QString::fromLatin1(tm));
        EXPECT_EQ(shown(planned.bigPicture()), placeholder) << tm;
        EXPECT_EQ(shown(planned.smallPicture()), placeholder) << tm;
    }
    EXPECT_EQ(planned.fieldEdit(QStringLiteral("sm"))->text(), QStringLiteral("线性代数"));

    planned.setLoadsPictures(true);   // covers of the current title come at once
    EXPECT_EQ(shown(planned.smallPicture()), file(QStringLiteral("bookimages/cover02.jpg")));
}

TEST_F(DetailPaneTest, SortingTheListRefreshesThePane)
{
    moveTo(QStringLiteral("T1"));
    books->setSortText(QStringLiteral("sm DESC"));   // pinyin: xian, gao, gai, da
    ASSERT_EQ(books->currentText(QStringLiteral("tm")), QStringLiteral("T3"));
    EXPECT_EQ(field("sm"), QStringLiteral("线性代数"));
    EXPECT_EQ(longText(QStringLiteral("zjml")), QStringLiteral("目录 T3"));
    EXPECT_EQ(classificationNames(), QStringList{"精品课程"});
}

TEST_F(DetailPaneTest, PagesAndTheHiddenExtensionPanel)
{
    QStringList captions;
    for (int i = 0; i < pane->pages()->count(); ++i)
        captions << pane->pages()->tabText(i);
    EXPECT_EQ(captions, (QStringList{"基本信息", "单一分类", "其他分类", "图书封面", "附加信息"}));

    pane->resize(800, TBookDetailPane::PaneHeight);
    pane->show();
    QWidget *ext = pane->extensionPanel();
    EXPECT_EQ(ext->objectName(), QStringLiteral("PlExt"));
    EXPECT_FALSE(ext->isVisible());
    EXPECT_TRUE(ext->isAncestorOf(pane->fieldEdit(QStringLiteral("bzyz"))));
    pane->extensionStrip()->toggle();
    EXPECT_TRUE(ext->isVisible());
    EXPECT_EQ(pane->fieldEdit(QStringLiteral("wwsm"))->text(), QString());

    TToggleStrip *strip = pane->createPaneStrip(nullptr);
    strip->setTargetVisible(false);
    EXPECT_FALSE(pane->isVisible());
    EXPECT_EQ(strip->topPicture()->objectName(), QStringLiteral("ImgUp"));
    delete strip;
}

} // namespace
