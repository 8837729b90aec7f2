#include "app/AboutUnit.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "app/DesktopIdentity.h"

const char* const TAboutBox::VersionText = "Version 0.0.2 Alpha";
const char* const TAboutBox::CopyrightText = "Copyright (C) 2026 Velmora Solutions";

namespace {

// The picture of the menu entry, at the size the form was drawn for.
QPixmap ProgramPicture()
{
    return DesktopIdentity::Picture().scaled(200, 200, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner)
{
    BuildForm();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::BuildForm()
{
    setObjectName("AboutBox");
    setWindowTitle("About");
    setFont(QFont("MS Sans Serif", 8));
    setFixedSize(298, 213);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(8, 8, 281, 161);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramPicture());

    ProductName = new QLabel("Product Name", Panel1);
    ProductName->setObjectName("ProductName");
    ProductName->setGeometry(88, 8, 185, 34);
    ProductName->setWordWrap(true);
    Version = new QLabel("Version", Panel1);
    Version->setObjectName("Version");
    Version->setGeometry(88, 46, 185, 16);
    Copyright = new QLabel("Copyright", Panel1);
    Copyright->setObjectName("Copyright");
    Copyright->setGeometry(8, 78, 265, 20);
    Copyright->setWordWrap(true);
    Comments = new QLabel("Comments", Panel1);
    Comments->setObjectName("Comments");
    Comments->setGeometry(8, 104, 269, 53);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QLabel* label : {ProductName, Version, Copyright, Comments})
        label->setTextFormat(Qt::PlainText);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(111, 178, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::Execute()
{
    if (QWidget* window = QApplication::activeWindow(); window && window != this)
        move(window->frameGeometry().center() - rect().center());
    exec();
}
