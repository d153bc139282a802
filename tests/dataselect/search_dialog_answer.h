#pragma once
// Answers the search dialog that the next click opens: one data kind, OK.

#include "controls/xEdit.h"
#include "dataselect/gui/DataListKensakuBox.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

inline void AnswerNextSearchWithDataKind(int kindIndex)
{
    QTimer::singleShot(0, [kindIndex] {
        auto* dialog = qobject_cast<TDataListKensakuBox*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->cmbDataKbn->setCurrentIndex(kindIndex);
        dialog->btnOKClick();
    });
}
