#include "ui/about_box.h"

#include "client/program_version.h"
#include "ui/app_icon.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Varnet"));
    auto* icon = new QLabel;
    icon->setPixmap(AppIcon().pixmap(48, 48));
    auto* version = new QLabel(VersionLine());
    version->setObjectName(QStringLiteral("1089"));
    version->setTextFormat(Qt::PlainText);
    auto* maker = new QLabel(QStringLiteral("Tavro RF gateway client for Linux"));
    maker->setTextFormat(Qt::PlainText);
    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(maker);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CAboutBox::VersionLine() const {
    return QStringLiteral("Pelmar - Internet Gateway Client Version ") +
           QString::fromStdString(ProgramVersionText());
}
