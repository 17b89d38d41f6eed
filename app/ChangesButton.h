#pragma once

#include <QToolButton>

class QAction;
class QKeyEvent;

// The small button beside Save Params: the number of pending changes; a click (or Space) lists
// them, its arrow (or Down) opens a menu to list them, to have the list shown before every save,
// and to compare the pages with a parameter set file.
class CChangesButton : public QToolButton {
    Q_OBJECT
  public:
    explicit CChangesButton(QWidget* parent = nullptr);

    void SetCount(int count);
    int Count() const { return count; }
    void SetComparing(bool comparing);

    QAction* ShowListAction() const { return showList; }
    QAction* ListBeforeWritingAction() const { return listBeforeWriting; }
    QAction* CompareAction() const { return compare; }
    QAction* EndComparisonAction() const { return endComparison; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int count = -1;
    QAction* showList = nullptr;
    QAction* listBeforeWriting = nullptr;
    QAction* compare = nullptr;
    QAction* endComparison = nullptr;
};
