#pragma once
// The product's Prompter: Qt message boxes and the save-file dialog.
#include "common/prompter.h"

class QWidget;

class QtPrompter : public Prompter {
public:
    int message(const QString &text, const QString &caption, int flags) override;
    // A message box whose details open under the button "详细信息(&D)".
    int messageWithDetails(const QString &text, const QString &details, const QString &caption,
                           int flags) override;
    QString saveFileName(const SaveRequest &request) override;
    std::unique_ptr<Progress> progress() override;

    // "desc|pattern|desc|pattern" -> "desc (pattern);;desc (pattern)"
    static QString qtFilters(const QString &filters);
};
