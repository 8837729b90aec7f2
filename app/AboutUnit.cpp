#include "app/AboutUnit.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

const char* const TAboutBox::VersionText = "Version 0.0.2 Alpha";
const char* const TAboutBox::CopyrightText = "Copyright (C) 2026 Velmora Solutions";

namespace {

// The program's picture, drawn here rather than shipped: a data cylinder with
// a wrench across it, in sixteen colours like the bitmap of the form.
QPixmap ProgramPicture()
{
    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(QColor(192, 192, 192));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient body(40, 0, 160, 0);
    body.setColorAt(0, QColor(0, 0, 128));
    body.setColorAt(0.5, QColor(0, 128, 255));
    body.setColorAt(1, QColor(0, 0, 128));
    painter.setPen(QPen(Qt::black, 3));
    painter.setBrush(body);
    painter.drawRect(40, 50, 120, 110);
    painter.drawEllipse(40, 140, 120, 40);
    painter.setPen(Qt::NoPen);
    painter.drawRect(42, 50, 117, 110);
    painter.setPen(QPen(Qt::black, 3));
    painter.setBrush(QColor(0, 255, 255));
    painter.drawEllipse(40, 30, 120, 40);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 255, 255), 2));
    painter.drawArc(42, 90, 116, 36, 180 * 16, 180 * 16);

    painter.translate(100, 110);
    painter.rotate(-40);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(QColor(255, 255, 0));
    painter.drawRoundedRect(-80, -9, 130, 18, 6, 6);
    painter.drawEllipse(QPointF(62, 0), 24, 24);
    painter.setBrush(QColor(192, 192, 192));
    painter.drawRect(52, -8, 36, 16);
    painter.end();

    const QList<QRgb> sixteen = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
                                 0xff008080, 0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
                                 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
    return QPixmap::fromImage(image.convertToFormat(QImage::Format_Indexed8, sixteen, Qt::ThresholdDither));
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
