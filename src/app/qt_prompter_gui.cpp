#include "app/qt_prompter_gui.h"

#include "app/progress_dialog_gui.h"
#include "common/user_settings.h"
#include "common/wait_notice.h"
#include "widgets/plain_caption.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>

namespace {

const QString DetailsCaption = QStringLiteral("详细信息(&D)");

// The box's own button for its detailed text reads "详细信息" whether the details are open or
// not (the toolkit would make it "Show Details..." and "Hide Details..."); the details are
// selectable by keyboard too, to be copied into a report.
void captionDetails(QMessageBox &box)
{
    for (QAbstractButton *button : box.buttons()) {
        if (box.buttonRole(button) != QMessageBox::ActionRole)
            continue;
        button->setObjectName(QStringLiteral("BtnDetails"));
        button->setText(DetailsCaption);
        button->setAccessibleName(plainCaption(DetailsCaption));
        // The box relabels the button after this slot has run: come back to it afterwards.
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [button] { button->setText(DetailsCaption); }, Qt::QueuedConnection);
    }
    if (auto *details = box.findChild<QTextEdit *>()) {
        details->setObjectName(QStringLiteral("MemoDetails"));
        details->setAccessibleName(plainCaption(DetailsCaption));
        details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}

} // namespace

int QtPrompter::message(const QString &text, const QString &caption, int flags)
{
    return messageWithDetails(text, QString(), caption, flags);
}

int QtPrompter::messageWithDetails(const QString &text, const QString &details, const QString &caption,
                                   int flags)
{
    const WaitNotice::Pause pause;   // no wait cursor or waiting text over a question
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (flags) {
    case MsgFlags::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgFlags::Warning:
    case MsgFlags::RetryCancel:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgFlags::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgFlags::OkCancel:
    case MsgFlags::YesNo:
    case MsgFlags::YesNoDefaultNo:
    case MsgFlags::YesNoCancel:
        box.setIcon(QMessageBox::Question);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (flags == MsgFlags::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    } else if (flags == MsgFlags::RetryCancel) {
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.button(QMessageBox::Retry)->setText(QStringLiteral("重试(&R)"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
        box.setDefaultButton(QMessageBox::Retry);
    } else if (flags == MsgFlags::YesNo || flags == MsgFlags::YesNoDefaultNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        if (flags == MsgFlags::YesNoDefaultNo) {
            box.setDefaultButton(QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
        }
    } else if (flags == MsgFlags::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    }
    if (!details.isEmpty()) {
        box.setDetailedText(details);
        captionDetails(box);
    }
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Retry:
        return MsgResult::Retry;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        // Closing an OK/Cancel or Retry/Cancel question by its title bar counts as Cancel.
        return (flags == MsgFlags::OkCancel || flags == MsgFlags::RetryCancel
                || flags == MsgFlags::YesNoCancel)
                       && box.clickedButton() == nullptr
                   ? MsgResult::Cancel
                   : MsgResult::Ok;
    }
}

QString QtPrompter::qtFilters(const QString &filters)
{
    const QStringList parts = filters.split(u'|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        const QString pattern = parts[i + 1];
        if (!desc.contains(pattern))
            desc += QStringLiteral(" (%1)").arg(pattern);
        else
            desc.replace(u'(' + pattern + u')', QStringLiteral(" (%1)").arg(pattern));
        out << desc;
    }
    return out.join(QStringLiteral(";;"));
}

QString QtPrompter::saveFileName(const SaveRequest &request)
{
    const WaitNotice::Pause pause;
    QFileDialog dialog(QApplication::activeWindow(), request.caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilters(request.filters));
    dialog.setDefaultSuffix(request.defaultSuffix);
    // Each dialog (known by its caption) opens in the folder it saved to last time.
    const QString folder = UserSettings::rememberedFolder(request.caption);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    // A name typed without an extension takes the one of the chosen filter.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
        if (m.hasMatch())
            dialog.setDefaultSuffix(m.captured(1));
    });
    if (!request.suggestedName.isEmpty())
        dialog.selectFile(request.suggestedName);
    // The options as check boxes in a row under the dialog's own controls (the desktop's
    // dialog takes none, so Qt's own is used then).
    QList<QCheckBox *> boxes;
    if (!request.options.isEmpty()) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
        auto *row = new QHBoxLayout;
        for (const SaveOption &option : request.options) {
            auto *box = new QCheckBox(option.caption, &dialog);
            box->setChecked(option.checked && *option.checked);
            row->addWidget(box);
            boxes << box;
        }
        row->addStretch(1);
        if (grid)
            grid->addLayout(row, grid->rowCount(), 0, 1, grid->columnCount());
        else
            dialog.layout()->addItem(row);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    for (int i = 0; i < boxes.size(); ++i)
        if (request.options.at(i).checked)
            *request.options.at(i).checked = boxes.at(i)->isChecked();
    const QString chosen = dialog.selectedFiles().constFirst();
    UserSettings::rememberFolder(request.caption, chosen);
    return chosen;
}

std::unique_ptr<Progress> QtPrompter::progress()
{
    return std::make_unique<DialogProgress>(QApplication::activeWindow());
}
