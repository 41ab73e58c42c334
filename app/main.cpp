// Pagewell's entry point.
#include "app/app.h"

int main(int argc, char** argv) {
    return runPagewell(argc, argv);
}
