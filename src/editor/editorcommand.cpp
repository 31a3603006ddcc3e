#include "editor/editorcommand.h"

namespace {

struct Applying
{
    explicit Applying(int &count) : count(count) { ++count; }
    ~Applying() { --count; }
    int &count;
};

} // namespace

void EditorCommand::redo()
{
    Applying applying(s_applying);
    apply();
}

void EditorCommand::undo()
{
    Applying applying(s_applying);
    revert();
}
