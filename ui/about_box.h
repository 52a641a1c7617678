#pragma once

#include <QDialog>

// "About Varnet": the program's icon, its name and version, and who made it.
class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);
    // The version line (control 1089).
    QString VersionLine() const;
};
