#pragma once

#include "CmdItem.h"

#include <string>
#include <vector>

class CLimitEdit;
class QComboBox;
class QLineEdit;
class QString;
class QWidget;

// What the four parameter pages share: accepting a value text from the module or a file, and
// handing a control's value over as a value record.

// Writes "Invalid <caption>!" (caption of the code from the catalogue) to the main window's log.
void LogInvalidValue(int code);

// Selects item (value - offset) when the text is a whole number from offset to offset + item
// count - 1; otherwise leaves the list and logs the invalid value. True when selected.
bool SelectListValue(QComboBox* list, int code, const std::string& text, int offset = 0);

// Shows the text as received when it is a whole number from min to max; otherwise leaves the field
// and logs the invalid value. True when shown.
bool SetFieldValue(QLineEdit* field, int code, const std::string& text, int min, int max);

// Shows a valid value text in a field: as received, unless it is too long to be written back in a
// write command of its code (leading zeros), then as its decimal number.
void ShowValueText(QLineEdit* field, int code, const std::string& text, int value);

// Characters a value of the code can have so that its write command fits one record.
int ValueRoom(int code);

// A number field of a code: digits only, typing limited to what its write command can carry.
CLimitEdit* MakeNumberField(QWidget* parent, int code);
// The same with its bounds checked on focus loss.
CLimitEdit* MakeNumberField(QWidget* parent, int code, int min, int max);

// The selected index + offset in decimal; nothing without a selection.
void AppendSelection(std::vector<SCmdItem>& list, int code, const QComboBox* combo, int offset = 0);
// The field text with carriage returns and line feeds removed from both ends; nothing if empty.
void AppendTrimmedText(std::vector<SCmdItem>& list, int code, const QLineEdit* field);

// The control's own state as its page's rules last set it: not hidden and not disabled within
// its page, whichever tab is current and whether the window is locked or not.
bool IsShownAndEnabled(const QWidget* control, const QWidget* page);

// The item a value of a list selects (index value - offset), as the operator reads it; the value
// text itself when it selects no item.
QString ListItemText(const QComboBox* list, const std::string& value, int offset = 0);

// A list with the texts, item 0 selected.
QComboBox* MakeList(QWidget* parent, const std::vector<int>& textIds);
