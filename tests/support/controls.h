#pragma once

#include "app/answer_box.h"
#include "app/controls.h"
#include "app/history_grid.h"
#include "app/main_window.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

namespace kb::test {

// The window's controls, found by their design names as a screen reader or a
// test tool would find them. A name that finds nothing ends the test run.
template <class T> T* control(const MainWindow& w, const QString& name) {
    T* found = w.findChild<T*>(name);
    if (!found) qFatal("no control named %s", qPrintable(name));
    return found;
}

#define KB_CONTROL(Type, name)                                                                     \
    inline Type* name(const MainWindow& w) {                                                       \
        return control<Type>(w, QStringLiteral(#name));                                            \
    }
#define KB_CONTROL_SET(Type, name)                                                                 \
    inline Type* name(const MainWindow& w, int i) {                                                \
        return control<Type>(w, QStringLiteral(#name "(%1)").arg(i));                              \
    }

KB_CONTROL(QToolButton, cmdStart)
KB_CONTROL(QToolButton, cmdHozon)
KB_CONTROL(QToolButton, cmdClear)
KB_CONTROL(QToolButton, cmdHelp)
KB_CONTROL(QToolButton, cmdEnd)
KB_CONTROL(QFrame, Frame1)
KB_CONTROL(PickComboBox, cboJikan)
KB_CONTROL(PictureToggle, chkAs)
KB_CONTROL(Shape, shpJikanK)
KB_CONTROL(QLabel, lblMondai)
KB_CONTROL(PickComboBox, cboSet)
KB_CONTROL(ClickFrame, fraRireki)
KB_CONTROL(AnswerBox, txtKaitou)
KB_CONTROL(HistoryGrid, msgRireki)
KB_CONTROL(QListWidget, lstRireki)
KB_CONTROL(QLabel, lblOk)
KB_CONTROL(QLabel, lblNg)
KB_CONTROL(QLabel, lblMoji_T)
KB_CONTROL(QLabel, lblRitu)
KB_CONTROL(QLabel, lblByou)
KB_CONTROL_SET(QLabel, imgStart)
KB_CONTROL_SET(QLabel, lblTen)

#undef KB_CONTROL
#undef KB_CONTROL_SET

} // namespace kb::test
