#include "app/form_registry_gui.h"

#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class TFrmProbe : public QWidget {
public:
    static inline int created = 0;
    explicit TFrmProbe(QWidget *parent) : QWidget(parent) { ++created; }
};

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TFrmProbe::created = 0;
        FormRegistry::instance().registerClass(QStringLiteral("TFrmProbe"),
                                               [](QWidget *owner) { return new TFrmProbe(owner); });
        FormRegistry::instance().registerClass(QStringLiteral("TFrmAskOnce"),
                                               [](QWidget *owner) { return new QDialog(owner); });
        FormRegistry::instance().setMdiArea(&area);
        area.show();
    }
    void TearDown() override
    {
        area.closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FormRegistry::instance().setMdiArea(nullptr);
    }
    QMdiArea area;
};

TEST_F(RegistryTest, SecondRequestBringsTheOpenWindowForwardWhateverTheCase)
{
    FormRegistry &r = FormRegistry::instance();
    const auto first = r.open(QStringLiteral("FrmProbe"), FormRegistry::MdiChild);
    ASSERT_NE(first.window, nullptr);
    EXPECT_EQ(first.window->objectName(), QStringLiteral("FrmProbe"));
    EXPECT_EQ(first.window->property("tag").toInt(), 0);
    EXPECT_TRUE(first.window->parentWidget()->isMaximized());

    const auto again = r.open(QStringLiteral("frmprobe"), FormRegistry::MdiChild);
    EXPECT_EQ(again.window, first.window);
    EXPECT_EQ(TFrmProbe::created, 1);
    EXPECT_EQ(area.subWindowList().size(), 1);

    // Closed windows free themselves; a later request makes a fresh one.
    first.window->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(r.findOpen(QStringLiteral("FrmProbe")), nullptr);
    const auto fresh = r.open(QStringLiteral("FrmProbe"), FormRegistry::MdiChild);
    EXPECT_NE(fresh.window, nullptr);
    EXPECT_EQ(TFrmProbe::created, 2);
}

TEST_F(RegistryTest, UnknownNameDoesNothing)
{
    const auto result = FormRegistry::instance().open(QStringLiteral("FrmNowhere"), FormRegistry::MdiChild);
    EXPECT_FALSE(result.found);
    EXPECT_EQ(result.window, nullptr);
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(RegistryTest, ModalRequestReturnsTheResultAfterTheDialogClosed)
{
    for (int round = 0; round < 2; ++round) {
        QPointer<QWidget> seen;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            seen = dialog;
            if (dialog)
                dialog->done(1);
        });
        const auto result = FormRegistry::instance().open(QStringLiteral("FrmAskOnce"), FormRegistry::Modal);
        EXPECT_EQ(result.modalResult, 1);
        EXPECT_TRUE(seen.isNull()) << "the dialog frees itself when closed";
        EXPECT_EQ(FormRegistry::instance().findOpen(QStringLiteral("FrmAskOnce")), nullptr);
    }
}

} // namespace
