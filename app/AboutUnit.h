// The About box: program name, version, copyright and the business it is set up for.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    // The caller fills the labels' captions before showing it.
    explicit TAboutBox(QWidget* owner);
    ~TAboutBox() override;

    // Shows the box modally until OK or the close box.
    void Execute();

    static const char* const VersionText;
    static const char* const CopyrightText;

private:
    void BuildForm();

public:
    // Controls, named as their objectName.
    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};
