#include "app/Application.h"

int main(int argc, char** argv)
{
    return veltrona::runApplication(argc, argv);
}
