#pragma once

#include <QString>

class TProUrlLabel;

// What the link edit dialog reaches of the link list: the entry it changes in
// place. The list opens the edit dialog and defines these; the edit dialog
// needs nothing else of it.

// Entry n (1 to 8) of the link list dialog once it is made; nullptr before,
// or for a number outside.
TProUrlLabel* LinkListEntry(int n);

// The caption of an entry that holds no link.
extern const QString UnassignedCaption;
