#include "grid_fixture.h"

#include "common/app_error.h"
#include "grid/field_combo_widget.h"

namespace {

QStringList entries(const TFieldCombo &combo)
{
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out << combo.itemText(i) + u'=' + combo.fieldName(i);
    return out;
}

class FieldComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        combo.fieldCbItems().add(QStringLiteral("SM"), QStringLiteral("书名"));
        combo.fieldCbItems().add(QStringLiteral("ISBN"), QStringLiteral("书号"));
        combo.fieldCbItems().add(QStringLiteral("ZZ"), QStringLiteral("作者"));
    }
    TFieldCombo combo;
    DataSet ds;
};

TEST_F(FieldComboTest, HandlerRenamesAndRejectsWhileTheListIsRebuilt)
{
    QStringList asked;
    combo.setOnAddFieldItemEvent([&](TFieldCombo *sender, const QString &field, QString &label, bool &accept) {
        EXPECT_EQ(sender, &combo);
        asked << field;
        if (field == QStringLiteral("ISBN"))
            accept = false;
        if (field == QStringLiteral("ZZ"))
            label = QStringLiteral("第一作者");
    });
    combo.setDataSource(&ds);
    EXPECT_EQ(asked, QStringList({QStringLiteral("SM"), QStringLiteral("ISBN"), QStringLiteral("ZZ")}));
    EXPECT_EQ(entries(combo), QStringList({QStringLiteral("书名=SM"), QStringLiteral("第一作者=ZZ")}));
    EXPECT_EQ(combo.currentIndex(), 0);

    // Setting no data source rebuilds from the items too, first entry chosen.
    combo.setCurrentIndex(1);
    combo.setOnAddFieldItemEvent({});
    combo.setDataSource(nullptr);
    EXPECT_EQ(entries(combo), QStringList({QStringLiteral("书名=SM"), QStringLiteral("书号=ISBN"), QStringLiteral("作者=ZZ")}));
    EXPECT_EQ(combo.currentFieldName(), QStringLiteral("SM"));
}

TEST_F(FieldComboTest, LongFieldNameIsKeptTo29Characters)
{
    const QString name = QStringLiteral("F").repeated(40);
    combo.fieldCbItems().add(name, QStringLiteral("长字段"));
    combo.setDataSource(nullptr);
    EXPECT_EQ(combo.fieldName(3), QStringLiteral("F").repeated(29));
    EXPECT_EQ(combo.fieldCbItems().at(3).fieldName(), name);
}

TEST_F(FieldComboTest, ItemOfAnotherComboIsRefused)
{
    TFieldCombo other;
    TFieldCbItem &item = other.fieldCbItems().add(QStringLiteral("DJ"), QStringLiteral("定价"));
    EXPECT_THROW(combo.fieldCbItems().add(&item), AppError);
    EXPECT_EQ(combo.fieldCbItems().count(), 3);
    EXPECT_EQ(item.collection(), &other.fieldCbItems());

    auto *loose = new TFieldCbItem(QStringLiteral("DJ"), QStringLiteral("定价"));
    combo.fieldCbItems().add(loose);
    EXPECT_EQ(loose->collection(), &combo.fieldCbItems());
    EXPECT_EQ(combo.fieldCbItems().count(), 4);
}

TEST_F(FieldComboTest, DataSetGoingAwayRebuildsTheList)
{
    auto *owned = new DataSet;
    combo.setDataSource(owned);
    combo.setCurrentIndex(2);
    delete owned;
    EXPECT_EQ(combo.dataSource(), nullptr);
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(combo.count(), 3);
}

using FieldComboOnListTest = GridFixture;

TEST_F(FieldComboOnListTest, FieldNameTakesTheLabelOfTheListsField)
{
    TFieldCombo combo;
    combo.setDataSource(ds.get());
    TFieldCbItem &calculated = combo.fieldCbItems().add(QStringLiteral("NRJJ"));
    EXPECT_EQ(calculated.displayLabel(), QStringLiteral("内容简介"));
    TFieldCbItem &missing = combo.fieldCbItems().add(QStringLiteral("ZZ"), QStringLiteral("作者"));
    EXPECT_EQ(missing.displayLabel(), QStringLiteral("作者"));
    missing.setFieldName(QStringLiteral("nrjj"));
    EXPECT_EQ(missing.displayLabel(), QStringLiteral("内容简介"));
}

} // namespace
