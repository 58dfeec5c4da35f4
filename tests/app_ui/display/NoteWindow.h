#pragma once

// The program on a real display as a person meets it: started in a fresh folder, its window
// shown and active, one note selected, the keyboard in the note's editor after a click into it.

#include "app/ui/NotesCommands.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/UiTestSupport.h"

#include <QDialog>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Every modal window that comes up while it lives: its caption, then it is answered (OK when
// `accept`, else cancelled).
class ModalWatch {
public:
    explicit ModalWatch(bool accept) {
        QObject::connect(&timer_, &QTimer::timeout, [this, accept] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            Seen.push_back(dialog->windowTitle().toStdString());
            if (accept) {
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
        timer_.start(5);
    }
    std::vector<std::string> Seen;

private:
    QTimer timer_;
};

struct NoteWindow {
    ProgramEnv Env;
    std::unique_ptr<TProgram> Program;
    TFormVelmorRnx* Window = nullptr;
    TRichNoteEdit* Editor = nullptr;

    ~NoteWindow() { CloseProgram(Program); }

    // False (with the failure reported) when the program or its window did not come up.
    bool Start() {
        Program = StartProgram(Env.Folder.Str(), Env.Store);
        if (Program == nullptr) {
            ADD_FAILURE() << "the program did not start";
            return false;
        }
        Window = Program->Window();
        TBinderTree& binder = Window->Binder();
        auto record = std::make_unique<TPageInfo>();
        record->Kind = NodeKind::Notes;
        record->Title = "Note";
        TTreeNode* note =
            binder.CreateNode(NodeKind::Notes, TInsertMode::Child, true, std::move(record));
        Window->resize(900, 600);
        if (note == nullptr || !QTest::qWaitForWindowExposed(Window)) {
            ADD_FAILURE() << "no note, or the window is not shown";
            return false;
        }
        Window->activateWindow();
        if (!QTest::qWaitForWindowActive(Window)) {
            ADD_FAILURE() << "the window is not active";
            return false;
        }
        binder.Items().SetSelected(note);
        Editor = &Window->NotesPart().Commands().RichNoteEdit1();
        if (!WaitUntil([this] { return Editor->isVisible(); })) {
            ADD_FAILURE() << "the note's editor is not shown";
            return false;
        }
        QTest::mouseClick(Editor, Qt::LeftButton, {}, QPoint(40, 20));
        if (!WaitUntil([this] { return Editor->hasFocus(); })) {
            ADD_FAILURE() << "the note's editor has not the keyboard";
            return false;
        }
        return true;
    }
};

// Where a key pressed now goes: an open menu, else the focus widget, else the window.
inline QWidget& WhereTheKeyboardIs(QWidget& window) {
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr) {
        target = QApplication::focusWidget();
    }
    return target != nullptr ? *target : window;
}

// A key pressed where the keyboard is; then its effects are served.
inline void PressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(&WhereTheKeyboardIs(window), key, modifiers);
    ServeEventsFor(std::chrono::milliseconds(100));
}

// The whole text of the note in the editor, its lines joined.
inline std::string NoteText(TRichNoteEdit& edit) {
    TRNEditRNData& data = edit.EditData();
    std::string text;
    for (int i = 0; i < data.ItemCount(); ++i) {
        text += data.GetItemText(i);
    }
    return text;
}
