#pragma once
// The about box: picture, version and the vendor's web address.
#include <QDialog>

class Prompter;

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAbout(Prompter &prompter, QWidget *parent = nullptr);
    static QString vendorUrl();
};
