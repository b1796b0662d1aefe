#include "app/welcome_dialog.h"

#include "widgets/captioned_controls_gui.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFrmWelcome::TFrmWelcome(const QString &text, const QString &guideCaption, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("欢迎"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto *body = new QLabel(text, this);
    body->setObjectName(QStringLiteral("LbWelcome"));
    body->setTextFormat(Qt::PlainText);
    body->setWordWrap(true);
    body->setTextInteractionFlags(Qt::TextSelectableByMouse);
    body->setMinimumWidth(560);

    auto *guide = captionedButton(this, QStringLiteral("BtnGuide"), guideCaption + QStringLiteral("(&G)"), 100);
    auto *settings = captionedButton(this, QStringLiteral("BtnSettings"), QStringLiteral("设置(&T)…"), 100);
    auto *close = captionedButton(this, QStringLiteral("BtnClose"), QStringLiteral("关闭(&C)"), 100);
    close->setDefault(true);
    connect(guide, &QPushButton::clicked, this, [this] {
        accept();
        emit guideRequested();
    });
    connect(settings, &QPushButton::clicked, this, [this] {
        accept();
        emit settingsRequested();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(guide);
    buttons->addWidget(settings);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(body);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    close->setFocus();
}
