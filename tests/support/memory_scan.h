// Searching this process's own writable memory for bytes that must not stay there (a password).
#pragma once

#include <string>

// How many times the bytes (given XOR-ed with mask, so that the needle itself never matches) occur
// in the process's writable private memory: heap, stacks and anonymous mappings, freed blocks too.
int occurrencesInMemory(const std::string& maskedBytes, unsigned char mask);
