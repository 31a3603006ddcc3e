#include "support/widgettests.h"

int main(int argc, char **argv)
{
    return testsupport::runWidgetTests(argc, argv, "editor", true);
}
