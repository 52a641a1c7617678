#pragma once

#include <optional>
#include <string>

// Why OK leaves a dialog open: the message box to show and the field that gets the focus.
struct DlgRefusal {
    enum class Icon { Exclamation, Stop };
    std::string message;
    Icon icon = Icon::Exclamation;
    int field = 0; // one of the dialog's own field numbers
};

// The integer in a dialog's number edit: a decimal integer with optional blanks around it and
// an optional sign. Values beyond the range of int saturate, so that they fail a range check
// rather than the parse.
std::optional<int> ParseDialogInteger(const std::string& text);

// Reads an integer edit as dialogs do: the value, or the refusal with the usual prompts
// ("Please enter an integer.", "Enter an integer between %1 and %2.") for `field`.
struct DlgInteger {
    int value = 0;
    std::optional<DlgRefusal> refusal;
};
DlgInteger ReadDialogInteger(const std::string& text, int field);
DlgInteger ReadDialogInteger(const std::string& text, int field, int min, int max);
