#pragma once

#include "radio/dialog_check.h"

class QWidget;

// Shows why OK left a dialog open: a message box over parent, titled with the application's
// name, with the refusal's icon and plain text.
void ShowRefusal(QWidget* parent, const DlgRefusal& refusal);
