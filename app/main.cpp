#include "CalyraApp.h"

int main(int argc, char** argv) {
    CCalyraApp app(argc, argv);
    return app.InitInstance();
}
