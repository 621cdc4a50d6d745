#include "app/saver_main.h"

int main(int argc, char** argv) { return kalo::Main(argc, argv); }
