#include "app/about_dialog.h"

#include "app/picture_loader_gui.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

QString TFrmAbout::vendorUrl()
{
    return QStringLiteral("http://www.zhengding.example.com");
}

TFrmAbout::TFrmAbout(Prompter &prompter, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setAlignment(Qt::AlignCenter);
    QPixmap picture;
    if (PictureLoader::loadOrReport(QStringLiteral("jpg/appAbout.jpg"), &picture, prompter)) {
        image->setPixmap(picture);
        image->setFixedSize(picture.size());
    }

    auto *version = new QLabel(QStringLiteral("版本:1.2"), this);
    version->setObjectName(QStringLiteral("Label2"));

    auto *link = new QLabel(this);
    link->setObjectName(QStringLiteral("Label1"));
    link->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(vendorUrl()));
    link->setCursor(Qt::PointingHandCursor);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setAccessibleName(QStringLiteral("网站地址"));
    connect(link, &QLabel::linkActivated, this, [](const QString &url) { QDesktopServices::openUrl(QUrl(url)); });

    auto *ok = new QPushButton(QStringLiteral("确定(&O)"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(1); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(image, 0, Qt::AlignHCenter);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addWidget(link, 0, Qt::AlignHCenter);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
