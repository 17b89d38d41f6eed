#pragma once

class QString;
class QWidget;

// The marks of a parameter control: its value is pending (differs from the module's last read
// value, so the next save writes it), or it differs from a parameter set file being compared.
// Drawn in the control's font, not its colours, so that they read in light and dark themes and
// beside the red of a short key: a pending value in bold italic, a file difference underlined.
// The tooltip (and the accessible description) names the other value; the control's own tooltip
// comes back when the marks go.
enum EChangeMark { MARK_NONE = 0, MARK_PENDING = 1, MARK_FILE = 2 };

// marks: a combination of EChangeMark; tip: the text of the marks (ignored without marks).
void SetChangeMarks(QWidget* control, int marks, const QString& tip);
int ChangeMarksOf(const QWidget* control);
