// What assistive tools read in the catalogue windows: every drop-down list and edit is named by
// its caption, and labels that show a value are read out as that value.
#include "catalog_fixture.h"
#include "scripted_prompter.h"

#include "app/accessible_names_gui.h"
#include "catalog/book_browse_widget.h"
#include "catalog/book_detail_pane.h"
#include "catalog/category_browse_window.h"
#include "catalog/detail_window.h"
#include "catalog/planned_browse_window.h"
#include "catalog/publisher_browse_window.h"
#include "data/demo_catalogue.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTest>
#include <QTextEdit>
#include <functional>

namespace {

QString readText(QWidget *w, QAccessible::Text which)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(which) : QString();
}

QString readName(QWidget *w)
{
    return readText(w, QAccessible::Name);
}

// A caption as it is read: without blanks, the closing colon and the mnemonic marker.
QString spoken(QString caption)
{
    caption = caption.trimmed();
    if (caption.endsWith(u'：') || caption.endsWith(u':'))
        caption.chop(1);
    return caption.remove(u'&').trimmed();
}

// Every list and edit of a window that a user reaches: named, and named by its caption label
// where it has one.
void expectNamedByCaptions(QWidget *window, const char *what)
{
    QHash<QWidget *, QString> captions;
    for (QLabel *label : window->findChildren<QLabel *>())
        if (label->buddy())
            captions.insert(label->buddy(), spoken(label->text()));

    QList<QWidget *> controls;
    for (QComboBox *c : window->findChildren<QComboBox *>())
        controls << c;
    for (QLineEdit *e : window->findChildren<QLineEdit *>())
        if (!qobject_cast<QComboBox *>(e->parentWidget()))   // a combo box's own editor
            controls << e;
    for (QPlainTextEdit *e : window->findChildren<QPlainTextEdit *>())
        controls << e;
    for (QTextEdit *e : window->findChildren<QTextEdit *>())
        controls << e;
    ASSERT_FALSE(controls.isEmpty()) << what;

    for (QWidget *c : controls) {
        const QString name = readName(c);
        const std::string id = std::string(what) + "/" + c->objectName().toStdString();
        EXPECT_FALSE(name.isEmpty()) << id;
        if (captions.contains(c)) {
            EXPECT_EQ(name, captions.value(c)) << id;
        }
    }
}

class CatalogueAccessibility : public CatalogFixture {
protected:
    void SetUp() override
    {
        AccessibleNames::install();   // as the program does at start
        DemoCatalogue::fill(db, 120, nullptr);
        tree.copyFromDist(QStringLiteral("bookimages"));
        tree.copyFromDist(QStringLiteral("html"));
    }
    template <class T>
    static T *child(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }

    ScriptedPrompter prompter;
};

TEST_F(CatalogueAccessibility, ListsAndEditsAreNamedByTheirCaptions)
{
    TFrmMagN publishers(prompter, db);
    publishers.show();
    TFrmbookTypeB categories(prompter, db);
    TFrmbook115 planned(prompter, db);
    auto books = openBooks();
    TFrmDetail detail(books.get(), TFrmDetail::Context{db, &prompter, QString()});

    const std::pair<QWidget *, const char *> windows[] = {
        {&publishers, "FrmMagN"}, {&categories, "FrmbookTypeB"}, {&planned, "Frmbook115"}, {&detail, "FrmDetail"}};
    for (const auto &[window, what] : windows)
        expectNamedByCaptions(window, what);

    // Lists and edits whose caption is not a label beside them.
    const struct {
        QWidget *window;
        const char *control;
        const char *name;
    } named[] = {
        {&publishers, "CbxType", "浏览方式"},
        {&publishers, "EdtPress", "出版社"},
        {&detail, "CbField", "定位字段"},
        {&detail, "EdtValue", "定位内容"},
        {&publishers, "Mmnrty", "内容简介"},
        {&publishers, "Mmfl2", "附录2"},
        {&publishers, "Edtsm", "书名"},
        {&publishers, "Edtbzyz", "标准印张"},
    };
    for (const auto &n : named) {
        QWidget *w = child<QWidget>(n.window, n.control);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(readName(w), QString::fromUtf8(n.name)) << n.control;
    }
    // A list's entry is still read, as its value.
    EXPECT_EQ(readText(child<QWidget>(&publishers, "CbxType"), QAccessible::Value), TFrmMagN::ModeSpecialty);
    EXPECT_EQ(readText(child<QWidget>(&detail, "CbField"), QAccessible::Value), QStringLiteral("书名"));
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join(u'|').toStdString();
}

TEST_F(CatalogueAccessibility, PublisherCountIsReadAsTheCountItShows)
{
    TFrmMagN w(prompter, db);
    w.show();
    auto *count = child<QLabel>(&w, "lbcount");
    ASSERT_NE(count, nullptr);
    const int all = w.browse()->books().recordCount();
    ASSERT_GT(all, 0);
    EXPECT_EQ(readName(count), QStringLiteral("共有图书：%1").arg(all));

    // A category's count, after choosing the category the keyboard way.
    const auto labels = child<QScrollArea>(&w, "SbType")->widget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(labels.size(), 2);
    QLabel *first = labels.first();
    QTest::keyClick(first, Qt::Key_Space);
    ASSERT_EQ(w.category(), first->text());
    EXPECT_EQ(readName(count), QStringLiteral("%1: %2").arg(first->text()).arg(w.browse()->books().recordCount()));
    EXPECT_EQ(readName(count), count->text());

    // The publisher label is read as the publisher it names.
    EXPECT_EQ(readName(child<QLabel>(&w, "LbPress")), QStringLiteral("出版社名称：") + w.publisherName());
}

} // namespace
