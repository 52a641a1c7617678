// The administration layout: the stations' status lines in one wide list,
// the server's address and the administrator's password, and the buttons.

#include "ui/main_window.h"

#include "client/client_dlg.h"
#include "client/control_ids.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

void CMainWindow::BuildAdminLayout() {
    CWidgetBinding& bind = *binding_;
    auto edit = [this](int id) { return MakeEdit(id); };
    auto button = [this](int id, const char* text) { return MakeButton(id, text); };

    auto* stations = new QListWidget;
    stations->setObjectName(QString::number(IDC_MAIN_LIST));
    // Status lines line up in columns only in a fixed-pitch font.
    stations->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    stations->setMinimumSize(fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 20);
    bind.BindList(IDC_MAIN_LIST, stations);

    QLineEdit* port = edit(IDC_PORT);
    port->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), port));
    port->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
    QLineEdit* password = edit(IDC_SERVER_PASSWORD);
    password->setEchoMode(QLineEdit::Password);
    auto* fields = new QHBoxLayout;
    fields->addWidget(new QLabel(QStringLiteral("Server")));
    fields->addWidget(edit(IDC_SERVER), 1);
    fields->addWidget(new QLabel(QStringLiteral("Port")));
    fields->addWidget(port);
    fields->addWidget(new QLabel(QStringLiteral("Password")));
    fields->addWidget(password, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button(IDC_CONNECT, "Connect"));
    buttons->addWidget(button(IDC_DISCONNECT, "Disconnect"));
    buttons->addWidget(button(IDC_RESTRICTIONS, "Restrictions..."));
    buttons->addStretch();
    buttons->addWidget(button(IDC_HELP, "Help"));
    buttons->addWidget(MakeMenuButton());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stations, 1);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}
