// Keeps the shared test-support library non-empty while it has no other code.
