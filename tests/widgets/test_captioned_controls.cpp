#include "widgets/captioned_controls_gui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A screen reader hears a button's caption without its mnemonic; the button keeps its object
// name, its shown caption and its width, and Enter elsewhere in the window does not press it.
TEST(CaptionedControlsTest, ButtonIsReadByItsPlainCaption)
{
    struct Case {
        const char *caption;
        const char *heard;
    };
    const Case cases[] = {
        {"导出(&E)", "导出"}, {"上一步(&P)", "上一步"}, {"放入购物车", "放入购物车"}, {"&Close", "Close"},
    };
    for (const Case &c : cases) {
        QWidget parent;
        const QString caption = QString::fromUtf8(c.caption);
        QPushButton *b = captionedButton(&parent, QStringLiteral("BtnProbe"), caption, 84);
        EXPECT_EQ(b->parent(), &parent) << c.caption;
        EXPECT_EQ(b->objectName(), QStringLiteral("BtnProbe")) << c.caption;
        EXPECT_EQ(b->text(), caption) << c.caption;
        EXPECT_EQ(b->accessibleName(), QString::fromUtf8(c.heard)) << c.caption;
        EXPECT_EQ(b->minimumWidth(), 84) << c.caption;
        EXPECT_FALSE(b->autoDefault()) << c.caption;
    }
}

// The caption label leads to its control (mnemonic and screen reader alike): the control is
// named by the caption, the label shows it with the colon.
TEST(CaptionedControlsTest, CaptionLabelNamesItsControl)
{
    QWidget window;
    auto *edit = new QLineEdit(&window);
    QLabel *label = captionFor(edit, QStringLiteral("查询值"));
    EXPECT_EQ(label->text(), QStringLiteral("查询值："));
    EXPECT_EQ(label->buddy(), edit);
    EXPECT_EQ(edit->accessibleName(), QStringLiteral("查询值"));
    delete label;
}

} // namespace
