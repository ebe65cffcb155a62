#pragma once
// The options that say what an import does with rows whose product the store holds already and with codes the
// sheet repeats: --existing add|skip|update, --repeats fail|merge. With import wherever --dry-run goes.

#include "cli/VerbParser.h"
#include "engine/run/ImportRun.h"

namespace cli {

void addRunChoiceOptions(VerbParser& parser);
// Sets the request's choices; false with the usage problem (the values accepted) for a value that is none of them.
bool takeRunChoices(const VerbParser& parser, importer::ImportRequest& request, QString& problem);

// The exit status of an import that ran: 0 every row handled and none failed, 3 some rows failed, 1 ended early,
// 2 refused before it began. A row left as it was because the store holds its product, one that updated it and
// one whose stock was merged are handled rows, like a stored one.
int importExitStatus(const importer::ImportOutcome& outcome);

} // namespace cli
