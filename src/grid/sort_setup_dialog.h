#pragma once
// TFrmSetSort "设置排序": builds a sort of several columns, each ascending or descending,
// starting from the list's current sort, and applies it on "确定(&O)" (the title markers are
// cleared and none are set). A sort the list refuses is reported as an error and leaves the
// list's order and titles as they were; the dialog stays open.
#include "grid/sort_text.h"

#include <QDialog>
#include <QPointer>

class DbGrid;
class Prompter;
class QComboBox;
class QListWidget;

class TFrmSetSort : public QDialog {
    Q_OBJECT
public:
    TFrmSetSort(DbGrid *grid, Prompter &prompter, QWidget *parent = nullptr);

    const SortSetup &setup() const { return m_setup; }

private:
    void add();
    void removeSelected();
    void move(int direction);
    void clearAll();
    void apply();
    void showEntries(int selected);

    QPointer<DbGrid> m_grid;
    Prompter &m_prompter;
    SortSetup m_setup;
    QComboBox *m_field;
    QComboBox *m_direction;
    QListWidget *m_list;
};
