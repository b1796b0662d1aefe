#pragma once
// "设置订购数量": sets the order quantity `sl` of the current row of a grid's list, or of every
// row with "所有图书" ticked, and the row's amount `my` = quantity × price `dj` with it. The
// list keeps the new values; writing them to the database is the owner's business.
//
//   TFrmOrderCount dialog(prompter, grid, window);
//   dialog.exec();
#include <QDialog>
#include <optional>

class DbGrid;
class Prompter;
class QCheckBox;
class QLineEdit;
class QPushButton;

class TFrmOrderCount : public QDialog {
    Q_OBJECT
public:
    // The largest quantity one title can be ordered in.
    static constexpr qint64 MaxQuantity = 99999;

    TFrmOrderCount(Prompter &prompter, DbGrid &grid, QWidget *parent = nullptr);

    // The quantity a typed text stands for: digits only (blanks around them allowed), from 0
    // to MaxQuantity; nothing for a sign, a decimal point, letters or an empty text. The
    // grid's quantity cells take exactly the same.
    static std::optional<qint64> parseQuantity(const QString &text);

    // BtnOk: sets the quantity and closes, or says "输入错误！" and stays open.
    bool apply();

protected:
    void showEvent(QShowEvent *event) override;

private:
    Prompter &m_prompter;
    DbGrid &m_grid;
    QLineEdit *m_count = nullptr;
    QCheckBox *m_all = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_close = nullptr;
};
