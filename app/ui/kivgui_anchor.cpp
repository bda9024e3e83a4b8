// Keeps the Qt target non-empty while its units arrive.
