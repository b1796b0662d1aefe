#pragma once
// TFrmSelField "设置显示项": one check box per column (mode 0) or field (mode 1) of a grid;
// "确定(&O)" applies the ticks as visibility, "关闭(&C)" or Esc closes without changes.
// Protected fields (sNoShowFieldList in the ALL section) and the mark column are shown
// but cannot be changed.
#include "grid/field_selection.h"

#include <QDialog>
#include <QList>
#include <QPointer>

class DbGrid;
class Prompter;
class QCheckBox;

class TFrmSelField : public QDialog {
    Q_OBJECT
public:
    TFrmSelField(DbGrid *grid, int displayFieldMode, Prompter &prompter, QWidget *parent = nullptr);

private:
    // "全选" changed its state: every changeable entry takes it.
    void allToggled(bool checked);
    void apply();

    QPointer<DbGrid> m_grid;
    int m_mode;
    Prompter &m_prompter;
    QList<FieldChoice> m_choices;
    QList<QCheckBox *> m_boxes;
};
