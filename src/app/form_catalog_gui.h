#pragma once
// Registers every window class of the program with the form registry, once at start.
namespace FormCatalog {
void registerAll();
}
