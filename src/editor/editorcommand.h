#pragma once

#include <QUndoCommand>

// An undoable step of the shop editor. While one runs (pushed, undone or
// redone), isApplying() is true, so the host can tell the changes the stack
// tracks from changes made some other way.
class EditorCommand : public QUndoCommand
{
public:
    using QUndoCommand::QUndoCommand;

    static bool isApplying() { return s_applying > 0; }

    void redo() final;
    void undo() final;

protected:
    virtual void apply() = 0;
    virtual void revert() = 0;

private:
    static inline int s_applying = 0;
};
