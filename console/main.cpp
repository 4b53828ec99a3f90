// Entry point of TagscopeC.
#include "console/modMain.h"

int main(int argc, char** argv)
{
    return modMain::Main(argc, argv);
}
