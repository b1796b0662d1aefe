// ISBNs in the catalogue windows: "定位" on the ISBN field finds a title from its ISBN-10 or
// ISBN-13 form; the detail pane marks a wrong check digit and nothing else; the list export
// writes normalised ISBN-13 when the save dialog's box is ticked, and leaves what is no valid
// ISBN as it is.
#include "catalog_fixture.h"
#include "scripted_prompter.h"

#include "catalog/book_detail_pane.h"
#include "catalog/book_list.h"
#include "catalog/catalogue_export.h"
#include "catalog/isbn_mark_gui.h"
#include "catalog/list_workbook.h"
#include "catalog/title_locate.h"
#include "common/gbk_codec.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>

namespace {

using CatalogueExport::Layout;

class IsbnSenseTest : public CatalogFixture {
protected:
    void SetUp() override
    {
        const char *const rows[][3] = {
            {"T1", "1", "高等数学"},  {"T2", "2", "大学物理"}, {"T3", "3", "线性代数"},
            {"T4", "4", "概率论"},    {"T5", "5", "大学英语"}, {"T6", "6", "数学分析"},
        };
        const char *const isbns[] = {"7-04-012345-2", "978 7 302 02368 5", "979-10-90636-07-1",
                                     "978-7-111-07575-0", "7012·345", nullptr};
        for (int i = 0; i < 6; ++i)
            insertBook({{"tm", rows[i][0]}, {"zbh", rows[i][1]}, {"sm", QString::fromUtf8(rows[i][2])},
                        {"isbn", isbns[i] ? QVariant(QString::fromUtf8(isbns[i])) : QVariant()}});
        books = openBooks();
        BookList::prepare(*books);
    }

    QString currentTm() const { return books->currentText(QStringLiteral("tm")); }

    std::unique_ptr<DataSet> books;
};

TEST_F(IsbnSenseTest, LocateFindsTheTitleFromEitherForm)
{
    const struct {
        const char *field;
        const char *typed;
        const char *tm;   // nullptr: not found, the current row stays
    } cases[] = {
        {"isbn", "978-7-04-012345-6", "T1"},
        {"ISBN", "9787040123456", "T1"},
        {"isbn", "7302023689", "T2"},
        {"isbn", "7-302-02368-9", "T2"},
        {"isbn", "９７９１０９０６３６０７１", "T3"},
        {"isbn", "9787111075750", "T4"},    // a wrong check digit as stored
        {"isbn", "9787111075752", nullptr}, // the valid one is another ISBN
        {"isbn", "978 7 3", "T2"},          // no ISBN: the prefix, as before
        {"isbn", "7012", "T5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        books->last();
        EXPECT_EQ(TitleLocate::locate(*books, QString::fromLatin1(c.field), QString::fromUtf8(c.typed)), c.tm != nullptr);
        EXPECT_EQ(currentTm(), QString::fromLatin1(c.tm ? c.tm : "T6"));
    }
}

TEST_F(IsbnSenseTest, DetailPaneMarksAWrongCheckDigitOnly)
{
    ScriptedPrompter prompter;
    TBookDetailPane pane(prompter);
    pane.setBookList(books.get());
    pane.resize(900, TBookDetailPane::PaneHeight);
    pane.show();
    QLineEdit *isbn = pane.fieldEdit(QStringLiteral("isbn"));
    auto *mark = isbn->findChild<QLabel *>();
    ASSERT_NE(mark, nullptr);
    const struct {
        const char *tm;
        bool marked;
    } cases[] = {{"T1", false}, {"T4", true}, {"T2", false}, {"T3", false}, {"T5", false}, {"T6", false}, {"T4", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tm);
        ASSERT_TRUE(books->locate(QStringLiteral("tm"), QString::fromLatin1(c.tm)));
        EXPECT_EQ(mark->isVisible(), c.marked);
        EXPECT_EQ(isbn->accessibleDescription(), c.marked ? QStringLiteral("校验位错误") : QString());
    }
    EXPECT_EQ(mark->text(), IsbnMark::text());
    EXPECT_EQ(isbn->accessibleName(), QStringLiteral("ISBN"));
    EXPECT_TRUE(isbn->toolTip().contains(u'2')) << isbn->toolTip().toStdString();   // 978-7-111-07575-2
    // The value stays readable beside the mark.
    EXPECT_LE(isbn->textMargins().right() + isbn->fontMetrics().horizontalAdvance(isbn->text()), isbn->width());
}

TEST_F(IsbnSenseTest, ExportWritesNormalisedIsbn13WhenTicked)
{
    const QString header = QStringLiteral("书名\t作者\t出版社名称\tISBN\t估定价\t本季征订序号\r\n");
    const auto expected = [&](const QStringList &isbns) {
        const QStringList titles{"高等数学", "大学物理", "线性代数", "概率论", "大学英语", "数学分析"};
        QString text = header;
        for (int i = 0; i < 6; ++i)
            text += titles[i] + QStringLiteral("\t\t\t") + isbns[i] + QStringLiteral("\t\t%1\r\n").arg(i + 1);
        return Gbk::encode(text);
    };
    const QStringList asStored{"7-04-012345-2", "978 7 302 02368 5", "979-10-90636-07-1", "978-7-111-07575-0",
                               "7012·345", ""};
    const QStringList normalised{"9787040123456", "9787302023685", "9791090636071", "978-7-111-07575-0",
                                 "7012·345", ""};
    EXPECT_EQ(CatalogueExport::render(*books, Layout::A), expected(asStored));
    EXPECT_EQ(CatalogueExport::render(*books, Layout::A, {true}), expected(normalised));

    // The save dialog offers the box, off at first; what the clerk ticks is what is written.
    CatalogueExport::Options options;
    const SaveRequest request = CatalogueExport::saveRequest(&options);
    ASSERT_EQ(request.options.size(), 1);
    EXPECT_EQ(request.options[0].checked, &options.isbn13);
    EXPECT_FALSE(options.isbn13);
    for (const bool ticked : {false, true}) {
        ScriptedPrompter prompter;
        const QString path = tree.path(QStringLiteral("list%1.txt").arg(ticked));
        prompter.saveAnswers.enqueue(path);
        prompter.saveOptionAnswers.enqueue({ticked});
        ASSERT_EQ(CatalogueExport::exportCatalogueList(*books, Layout::A, prompter), CatalogueExport::Outcome::Written);
        ASSERT_EQ(prompter.saveRequests.size(), 1);
        ASSERT_EQ(prompter.saveRequests[0].options.size(), 1);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), expected(ticked ? normalised : asStored));
    }
}

} // namespace
