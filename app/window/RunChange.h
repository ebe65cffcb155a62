#pragma once
// What a run will change in products the store holds already, asked once on 确定 before the run: the values an
// update writes over and the stock a merge adds. Adding and skipping change no stored product and ask nothing.

#include "engine/sheet/SheetLayout.h"
#include "engine/writes/RunChoices.h"

#include <QString>
#include <QStringList>

#include <optional>

// The fields an update writes for a sheet read with this layout: each of the nine the sheet has a column for but
// the code and the name (they find the product), then the chosen further columns of the store.
QStringList updatedFields(const importer::SheetLayout& layout);

// The question for a run with these choices; empty when the run changes no stored product. fields: updatedFields
// of the sheet, nothing when the sheet could not be read (the run itself then says why).
QString runChangeText(importer::ExistingChoice existing, importer::RepeatChoice repeats,
                      const std::optional<QStringList>& fields);
