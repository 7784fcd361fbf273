#pragma once
// Numeric inputs bound to their field-limit row by the control's Tag, the soil lists of a layer
// row and the bar-size lists. The text rules (parsing, clamping, formatting) are the model's;
// these functions apply them to real controls with the locale's separators.
#include "model/lptypes.h"
#include "platform/qt/numberformat.h"

class QChar;
class QComboBox;
class QLineEdit;
class TLayer;

// Shows Value in Edit with the decimals of its Tag's row (2 for a Tag outside 1..77), clamped to
// the row unless NoClamp is set or the edit is read-only; NaN shows "N.A.". Like any write from
// code it fires no change handler (those answer the user's edits), so it never starts a commit.
void SetEditValue(QLineEdit* Edit, bool NoClamp, Extended Value);

// Reads Edit's number (thousands separators only where they group digits by three), clamps it
// to its Tag's row when both overrides are 0, else to the non-zero overrides, and rewrites the
// edit when the value changed. Text that is not a number is refused: the edit goes back to the
// value SetEditValue last showed in it (when it never showed one, the text reads 0), and one
// that shows "N.A." reads back as the undefined value it shows.
Extended GetEditValue(QLineEdit* Edit, double MinOverride = 0, double MaxOverride = 0);
// GetEditValue for an input that is read back from what it shows on every commit (the main
// window's): the value is the number the edit shows, rounded to its decimals, so that the project
// calculates with, keeps and saves what the user sees. (A dialog that writes back only the values
// typed into it keeps them as typed, beyond the decimals it shows.)
Extended GetShownEditValue(QLineEdit* Edit, double MinOverride = 0, double MaxOverride = 0);

// A key typed into a numeric input: a "." where the decimal separator is "," is that separator,
// as the decimal key of the number pad is. A user on such a desktop who types a point means a
// decimal point, never a thousands separator that would make the number ten times larger.
void TypeNumberKey(QChar& Key);

// The soil lists of a layer row. Each item carries its ordinal as its data; the layer's value is
// selected and then the list's change handler runs, when one is assigned.
void FillMaterialTypeCombo(QComboBox* Combo, const TLayer& Layer);
// Only the classes (consistencies) the layer's material allows; the list is enabled only when it
// offers a choice, and then shows the layer's value, else its first item.
void FillUSCSCombo(QComboBox* Combo, const TLayer& Layer);
void FillConsistencyCombo(QComboBox* Combo, const TLayer& Layer);

// Selects the bar "#n", else "nM", else the first item.
void SelectBarSize(QComboBox* Combo, int BarNo);
// The bar number of the selected item; the first bar of the current table when there is none.
int GetSelectedBarSize(QComboBox* Combo);
