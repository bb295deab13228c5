#pragma once

namespace web {

// Keeps the web engine's start-up notes (its graphics and sandbox set-up, logged at the info and
// debug levels) off the user's terminal; its warnings and errors still show. Call before the
// application object is made. Rules in QT_LOGGING_RULES still take precedence.
void quietEngineLogging();

// The logging rules quietEngineLogging() sets.
const char *quietEngineLoggingRules();

}
