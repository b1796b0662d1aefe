#include "grid_fixture.h"

#include "grid/field_select_dialog.h"
#include "grid/sort_setup_dialog.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>

namespace {

class FieldDialogTest : public GridFixture {
protected:
    void configure(const char *noShowList)
    {
        tree.writeConfig(QByteArray("[ALL]\nsNoShowFieldList=") + noShowList + "\n");
    }
    // The dialog's boxes by caption.
    static QMap<QString, QCheckBox *> boxes(QWidget *dialog)
    {
        QMap<QString, QCheckBox *> out;
        auto *area = dialog->findChild<QScrollArea *>(QStringLiteral("SbField"));
        for (QCheckBox *box : area->widget()->findChildren<QCheckBox *>())
            out.insert(box->text(), box);
        return out;
    }
    static void click(QWidget *dialog, const char *name)
    {
        auto *button = dialog->findChild<QAbstractButton *>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList visibleTitles() const
    {
        QStringList out;
        for (int i = 0; i < grid->columns().count(); ++i) {
            if (grid->columns().at(i).visible) {
                EXPECT_FALSE(grid->isColumnHidden(i));
                out << grid->columns().at(i).title;
            } else {
                EXPECT_TRUE(grid->isColumnHidden(i));
            }
        }
        return out;
    }
};

TEST_F(FieldDialogTest, LayoutAndEntries)
{
    grid->titleClick(col(QStringLiteral("SM")));
    grid->setColumnVisible(col(QStringLiteral("DJ")), false);
    TFrmSelField dialog(grid.get(), 0, prompter);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("设置显示项"));
    EXPECT_EQ(dialog.size(), QSize(238, 320));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("显示内容列表"));
    EXPECT_EQ(dialog.findChild<QScrollArea *>(QStringLiteral("SbField"))->size(), QSize(224, 257));
    EXPECT_EQ(dialog.findChild<QCheckBox *>(QStringLiteral("CbAll"))->text(), QStringLiteral("全选"));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("BtnOk"))->text(), QStringLiteral("确定(&O)"));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("BtnClose"))->text(), QStringLiteral("关闭(&C)"));

    auto *area = dialog.findChild<QScrollArea *>(QStringLiteral("SbField"));
    const QList<QCheckBox *> list = area->widget()->findChildren<QCheckBox *>();
    ASSERT_EQ(list.size(), 7);
    QStringList captions;
    for (int i = 0; i < list.size(); ++i) {
        captions << list[i]->text();
        EXPECT_EQ(list[i]->geometry(), QRect(12, 5 + 21 * i, 200, 17));
    }
    EXPECT_EQ(captions, QStringList({QStringLiteral("选择"), QStringLiteral("条码"), QStringLiteral("书名") + GridColumns::AscMarker,
                                     QStringLiteral("ISBN"), QStringLiteral("本季征订序号"), QStringLiteral("定价"),
                                     QStringLiteral("内容简介")}));
    EXPECT_FALSE(list[5]->isChecked());   // the hidden column
    EXPECT_TRUE(list[0]->isChecked());
    EXPECT_FALSE(list[0]->isEnabled());   // the mark column cannot be changed
}

TEST_F(FieldDialogTest, ProtectedFieldsFollowTheConfiguration)
{
    struct Case {
        const char *noShow;
        QStringList disabled;
    } cases[] = {
        {"", {QStringLiteral("选择")}},
        {"tm,isbn", {QStringLiteral("选择"), QStringLiteral("条码"), QStringLiteral("ISBN")}},
        {"TM", {QStringLiteral("选择")}},          // items are lower case; "TM" protects nothing
        {"tm, isbn", {QStringLiteral("选择"), QStringLiteral("条码")}},   // " isbn" is no field
        {"dj,zbh,", {QStringLiteral("选择"), QStringLiteral("本季征订序号"), QStringLiteral("定价")}},
    };
    for (const Case &c : cases) {
        configure(c.noShow);
        TFrmSelField dialog(grid.get(), 0, prompter);
        QStringList disabled;
        for (QCheckBox *box : boxes(&dialog))
            if (!box->isEnabled())
                disabled << box->text();
        disabled.sort();
        QStringList expected = c.disabled;
        expected.sort();
        EXPECT_EQ(disabled, expected) << c.noShow;
    }
}

TEST_F(FieldDialogTest, AllBoxLeavesProtectedEntriesAndOkApplies)
{
    configure("tm,isbn");
    grid->setColumnVisible(col(QStringLiteral("ISBN")), false);
    TFrmSelField dialog(grid.get(), 0, prompter);
    dialog.show();
    auto *all = dialog.findChild<QCheckBox *>(QStringLiteral("CbAll"));
    QTest::mouseClick(all, Qt::LeftButton);   // ticks every changeable box
    QTest::mouseClick(all, Qt::LeftButton);   // and clears them again
    const auto b = boxes(&dialog);
    EXPECT_TRUE(b[QStringLiteral("条码")]->isChecked());
    EXPECT_FALSE(b[QStringLiteral("ISBN")]->isChecked());
    EXPECT_FALSE(b[QStringLiteral("书名")]->isChecked());
    b[QStringLiteral("定价")]->setChecked(true);

    click(&dialog, "BtnOk");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(visibleTitles(), QStringList({QStringLiteral("选择"), QStringLiteral("条码"), QStringLiteral("定价")}));
}

TEST_F(FieldDialogTest, AllBoxActsOnItsStateWhateverChangedIt)
{
    // The way a screen reader or a program changes the box, not only a mouse click.
    const struct {
        const char *what;
        std::function<void(QCheckBox *)> change;
    } ways[] = {
        {"setChecked", [](QCheckBox *all) { all->setChecked(!all->isChecked()); }},
        {"accessible toggle action",
         [](QCheckBox *all) {
             QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(all);
             ASSERT_NE(iface, nullptr);
             ASSERT_NE(iface->actionInterface(), nullptr);
             ASSERT_TRUE(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
             iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
         }},
        {"Space key", [](QCheckBox *all) { QTest::keyClick(all, Qt::Key_Space); }},
        {"mouse click", [](QCheckBox *all) { QTest::mouseClick(all, Qt::LeftButton); }},
    };
    configure("tm");
    for (const auto &way : ways) {
        SCOPED_TRACE(way.what);
        TFrmSelField dialog(grid.get(), 0, prompter);
        dialog.show();
        auto *all = dialog.findChild<QCheckBox *>(QStringLiteral("CbAll"));
        all->setFocus();
        const auto b = boxes(&dialog);
        b[QStringLiteral("条码")]->setChecked(false);   // protected: disabled, keeps its state
        for (bool state : {true, false}) {
            way.change(all);
            ASSERT_EQ(all->isChecked(), state);
            for (QCheckBox *box : b) {
                if (box->isEnabled()) {
                    EXPECT_EQ(box->isChecked(), state) << box->text().toStdString();
                }
            }
            EXPECT_FALSE(b[QStringLiteral("条码")]->isChecked());
            EXPECT_TRUE(b[QStringLiteral("选择")]->isChecked());
        }
    }
}

TEST_F(FieldDialogTest, HidingAllButTheMarkColumnAndClosingWithoutChanges)
{
    {
        TFrmSelField dialog(grid.get(), 0, prompter);
        dialog.show();
        for (QCheckBox *box : boxes(&dialog))
            if (box->isEnabled())
                box->setChecked(false);
        click(&dialog, "BtnClose");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(visibleTitles().size(), 7);

    {
        TFrmSelField dialog(grid.get(), 0, prompter);
        dialog.show();
        for (QCheckBox *box : boxes(&dialog))
            if (box->isEnabled())
                box->setChecked(false);
        click(&dialog, "BtnOk");
    }
    EXPECT_EQ(visibleTitles(), QStringList({QStringLiteral("选择")}));
}

TEST_F(FieldDialogTest, FieldModeChangesTheListsFieldsThroughThePopup)
{
    DbGrid fieldsGrid;   // no columns of its own: it shows the list's fields
    fieldsGrid.setObjectName(QStringLiteral("DBGrid1"));
    fieldsGrid.setPopupMenu(menu.get());
    fieldsGrid.setDataSet(ds.get());
    ds->setFieldVisible(QStringLiteral("isbn"), false);
    ds->refresh();
    ASSERT_TRUE(fieldsGrid.isColumnHidden(2));

    ASSERT_TRUE(menu->prepare(&fieldsGrid, 1, nullptr, 0));
    QStringList captions;
    onNextModal([&](QWidget *dialog) {
        auto *area = dialog->findChild<QScrollArea *>(QStringLiteral("SbField"));
        for (QCheckBox *box : area->widget()->findChildren<QCheckBox *>())
            captions << box->text();
        const auto b = boxes(dialog);
        EXPECT_FALSE(b[QStringLiteral("isbn")]->isChecked());
        b[QStringLiteral("isbn")]->setChecked(true);
        b[QStringLiteral("dj")]->setChecked(false);
        click(dialog, "BtnOk");
    });
    menu->action(PpMenu::DisplayFields)->trigger();
    // One entry per field in field order, by display label.
    EXPECT_EQ(captions, QStringList({QStringLiteral("tm"), QStringLiteral("sm"), QStringLiteral("isbn"), QStringLiteral("zbh"),
                                     QStringLiteral("dj"), QStringLiteral("cdcs"), QStringLiteral("内容简介")}));
    EXPECT_TRUE(ds->field(ds->fieldIndex(QStringLiteral("isbn"))).visible);
    EXPECT_FALSE(ds->field(ds->fieldIndex(QStringLiteral("dj"))).visible);
    EXPECT_FALSE(fieldsGrid.isColumnHidden(2));
    EXPECT_TRUE(fieldsGrid.isColumnHidden(fieldsGrid.columns().indexOfField(QStringLiteral("dj"))));
}

class SortDialogTest : public GridFixture {
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        dialog = std::make_unique<TFrmSetSort>(grid.get(), prompter);
        dialog->show();
    }
    void reopen()
    {
        dialog = std::make_unique<TFrmSetSort>(grid.get(), prompter);
        dialog->show();
    }
    void add(const QString &fieldTitle, bool descending)
    {
        auto *field = dialog->findChild<QComboBox *>(QStringLiteral("CbField"));
        field->setCurrentIndex(field->findText(fieldTitle));
        ASSERT_GE(field->currentIndex(), 0) << fieldTitle.toStdString();
        dialog->findChild<QComboBox *>(QStringLiteral("CbSort"))->setCurrentIndex(descending ? 1 : 0);
        click("BtnAdd");
    }
    void select(int row) { list()->setCurrentRow(row); }
    void click(const char *name)
    {
        auto *button = dialog->findChild<QPushButton *>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QListWidget *list() const { return dialog->findChild<QListWidget *>(QStringLiteral("LbField")); }
    QStringList entries() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    std::unique_ptr<TFrmSetSort> dialog;
};

TEST_F(SortDialogTest, LayoutAndChoices)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("设置排序"));
    EXPECT_EQ(dialog->size(), QSize(293, 201));
    const struct {
        const char *name;
        const char *caption;
    } buttons[] = {{"BtnAdd", "增加(&N)"}, {"BtnDel", "删除(&D)"}, {"BtnUp", "向上(&U)"}, {"BtnDown", "向下(&L)"},
                   {"BtnClear", "清除(&Q)"}, {"BtnOk", "确定(&O)"}, {"BtnClose", "关闭(&C)"}};
    for (const auto &b : buttons) {
        auto *button = dialog->findChild<QPushButton *>(QLatin1String(b.name));
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
    }
    auto *field = dialog->findChild<QComboBox *>(QStringLiteral("CbField"));
    QStringList offered;
    for (int i = 0; i < field->count(); ++i)
        offered << field->itemText(i);
    EXPECT_EQ(offered, QStringList({QStringLiteral("条码"), QStringLiteral("书名"), QStringLiteral("ISBN"),
                                    QStringLiteral("本季征订序号"), QStringLiteral("定价"), QStringLiteral("内容简介")}));
    auto *direction = dialog->findChild<QComboBox *>(QStringLiteral("CbSort"));
    EXPECT_EQ(direction->currentText(), QStringLiteral("升序"));
    EXPECT_EQ(direction->count(), 2);
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(SortDialogTest, ShowsATitleClickSortAndAppliesTwoTermsWithoutMarkers)
{
    grid->titleClick(col(QStringLiteral("SM")));
    reopen();
    EXPECT_EQ(entries(), QStringList({QStringLiteral("书名 升序")}));

    click("BtnClear");
    add(QStringLiteral("书名"), false);
    add(QStringLiteral("本季征订序号"), true);
    EXPECT_EQ(entries(), QStringList({QStringLiteral("书名 升序"), QStringLiteral("本季征订序号 降序")}));
    click("BtnOk");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ds->sortText(), QStringLiteral("SM ASC,ZBH DESC"));
    EXPECT_EQ(title(QStringLiteral("SM")), QStringLiteral("书名"));
    EXPECT_FALSE(grid->columns().at(col(QStringLiteral("SM"))).emphasised);
    EXPECT_EQ(title(QStringLiteral("ZBH")), QStringLiteral("本季征订序号"));
}

TEST_F(SortDialogTest, RemoveMoveAndDuplicate)
{
    add(QStringLiteral("书名"), false);
    add(QStringLiteral("定价"), true);
    add(QStringLiteral("条码"), false);

    add(QStringLiteral("定价"), false);
    ASSERT_EQ(prompter.texts(), QStringList({QStringLiteral("该字段已存在！")}));
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Information);
    EXPECT_EQ(entries().size(), 3);

    select(2);
    click("BtnUp");
    EXPECT_EQ(entries(), QStringList({QStringLiteral("书名 升序"), QStringLiteral("条码 升序"), QStringLiteral("定价 降序")}));
    EXPECT_EQ(list()->currentRow(), 1);

    select(0);
    click("BtnDel");
    EXPECT_EQ(entries(), QStringList({QStringLiteral("条码 升序"), QStringLiteral("定价 降序")}));
    EXPECT_EQ(list()->currentRow(), 0);

    // A double click removes too; the last entry removed selects the new last.
    const QRect last = list()->visualItemRect(list()->item(1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, last.center());
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, last.center());
    EXPECT_EQ(entries(), QStringList({QStringLiteral("条码 升序")}));

    click("BtnOk");
    EXPECT_EQ(ds->sortText(), QStringLiteral("TM ASC"));
}

TEST_F(SortDialogTest, ConfirmingNoEntriesClearsAndCloseChangesNothing)
{
    grid->titleClick(col(QStringLiteral("ZBH")));
    reopen();
    add(QStringLiteral("书名"), true);
    click("BtnClose");
    EXPECT_EQ(ds->sortText(), QStringLiteral("ZBH ASC"));

    reopen();
    click("BtnClear");
    click("BtnOk");
    EXPECT_TRUE(ds->sortText().isEmpty());
    EXPECT_EQ(values(QStringLiteral("tm")).first(), QStringLiteral("B001"));
    EXPECT_EQ(title(QStringLiteral("ZBH")), QStringLiteral("本季征订序号"));
}

TEST_F(SortDialogTest, CalculatedColumnIsReportedAsAnError)
{
    add(QStringLiteral("内容简介"), false);
    click("BtnOk");
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(ds->sortText().isEmpty());
}

TEST_F(SortDialogTest, RefusedSortLeavesTheListAsItWas)
{
    // Starting sorts: by title clicks (with a marker) and from an earlier dialog (none).
    const struct {
        const char *what;
        std::function<void()> sort;
    } starts[] = {
        {"ascending title click", [this] { grid->titleClick(col(QStringLiteral("DJ"))); }},
        {"descending title click",
         [this] {
             grid->titleClick(col(QStringLiteral("DJ")));
             grid->titleClick(col(QStringLiteral("DJ")));
         }},
        {"earlier dialog",
         [this] {
             add(QStringLiteral("本季征订序号"), true);
             click("BtnOk");
         }},
        {"statement order", [] {}},
    };
    for (const auto &start : starts) {
        SCOPED_TRACE(start.what);
        grid->clearSort();
        reopen();
        start.sort();
        const QString sortBefore = ds->sortText();
        const QStringList orderBefore = values(QStringLiteral("tm"));
        const GridColumns columnsBefore = grid->columns();
        const int currentBefore = ds->currentRow();

        reopen();
        add(QStringLiteral("书名"), false);
        add(QStringLiteral("内容简介"), true);   // calculated: the list refuses it
        prompter.shown.clear();
        click("BtnOk");
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].flags, MsgFlags::Error);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(ds->sortText(), sortBefore);
        EXPECT_EQ(values(QStringLiteral("tm")), orderBefore);
        EXPECT_EQ(ds->currentRow(), currentBefore);
        for (int i = 0; i < columnsBefore.count(); ++i) {
            EXPECT_EQ(grid->columns().at(i).title, columnsBefore.at(i).title);
            EXPECT_EQ(grid->columns().at(i).emphasised, columnsBefore.at(i).emphasised);
        }

        // Closing after the failure changes nothing either.
        click("BtnClose");
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(ds->sortText(), sortBefore);
        EXPECT_EQ(values(QStringLiteral("tm")), orderBefore);
        EXPECT_EQ(grid->columns().at(col(QStringLiteral("DJ"))).title, columnsBefore.at(col(QStringLiteral("DJ"))).title);
    }
}

// Every control a screen reader reaches says what it is: names through the accessibility
// interface, and the two lists of "设置排序" told apart.
TEST_F(SortDialogTest, ControlsOfBothDialogsAreNamedByTheirCaptions)
{
    auto nameOf = [](QWidget *w) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        return iface ? iface->text(QAccessible::Name) : QString();
    };
    // A drop-down list is read out with the label the bus relates to it (its own name is
    // its current text there).
    auto labelOf = [](QWidget *w) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        if (!iface)
            return QString();
        for (const auto &relation : iface->relations(QAccessible::Label))
            return relation.first->text(QAccessible::Name);
        return QString();
    };
    EXPECT_EQ(labelOf(dialog->findChild<QWidget *>(QStringLiteral("CbField"))), QStringLiteral("字段名"));
    EXPECT_EQ(labelOf(dialog->findChild<QWidget *>(QStringLiteral("CbSort"))), QStringLiteral("排序方式"));
    const struct {
        const char *name;
        const char *spoken;
    } sortControls[] = {{"CbField", "字段名"}, {"CbSort", "排序方式"}, {"BtnAdd", "增加"}, {"BtnDel", "删除"},
                        {"BtnUp", "向上"},     {"BtnDown", "向下"},    {"BtnClear", "清除"}, {"BtnOk", "确定"},
                        {"BtnClose", "关闭"}};
    for (const auto &c : sortControls) {
        auto *w = dialog->findChild<QWidget *>(QLatin1String(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->accessibleName(), QString::fromUtf8(c.spoken)) << c.name;
        if (!qobject_cast<QComboBox *>(w)) {
            EXPECT_EQ(nameOf(w), QString::fromUtf8(c.spoken)) << c.name;
        }
    }

    TFrmSelField fields(grid.get(), 0, prompter);
    const struct {
        const char *name;
        const char *spoken;
    } fieldControls[] = {{"CbAll", "全选"}, {"BtnOk", "确定"}, {"BtnClose", "关闭"}, {"SbField", "显示内容列表"}};
    for (const auto &c : fieldControls) {
        auto *w = fields.findChild<QWidget *>(QLatin1String(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(nameOf(w), QString::fromUtf8(c.spoken)) << c.name;
    }
    // Entry boxes are read by their column's title, without a sort marker.
    grid->titleClick(col(QStringLiteral("SM")));
    TFrmSelField sorted(grid.get(), 0, prompter);
    QStringList spoken;
    for (QCheckBox *box : sorted.findChild<QScrollArea *>(QStringLiteral("SbField"))->widget()->findChildren<QCheckBox *>())
        spoken << nameOf(box);
    EXPECT_TRUE(spoken.contains(QStringLiteral("书名")));

    // Every drop-down list, edit and list in both dialogs has a name, and no two share one.
    for (QWidget *d : {static_cast<QWidget *>(dialog.get()), static_cast<QWidget *>(&fields)}) {
        QStringList names;
        for (QWidget *w : d->findChildren<QWidget *>()) {
            if (qobject_cast<QComboBox *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QListWidget *>(w)) {
                if (qobject_cast<QComboBox *>(w->parentWidget()))
                    continue;   // a combo box's own line edit
                EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
                names << w->accessibleName();
            }
        }
        EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size()) << names.join(u',').toStdString();
    }
}

TEST_F(SortDialogTest, OpensModallyFromThePopup)
{
    grid->titleClick(col(QStringLiteral("DJ")));
    ASSERT_TRUE(menu->prepare(grid.get(), 0, &marked, 0));
    QStringList shownEntries;
    onNextModal([&](QWidget *modal) {
        auto *lb = modal->findChild<QListWidget *>(QStringLiteral("LbField"));
        ASSERT_NE(lb, nullptr);
        for (int i = 0; i < lb->count(); ++i)
            shownEntries << lb->item(i)->text();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    menu->action(PpMenu::SortSetup)->trigger();
    EXPECT_EQ(shownEntries, QStringList({QStringLiteral("定价 升序")}));
    EXPECT_EQ(ds->sortText(), QStringLiteral("DJ ASC"));
}

} // namespace
