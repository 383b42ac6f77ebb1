// Settling the language: the language table, the code from the forced
// option, the user's locale, the table's default or its first language, the
// user's choice, and the language module of the chosen code.
#pragma once

#include "qar.h"

void ReadLanguageSettings(QarArchive* archive);
void ResolveLanguageCode(bool forced);
bool OfferLanguageChoice(QarArchive* archive);
bool LoadChosenLanguageModule(QarArchive* archive);
