// Keeps the core target non-empty while its units arrive.
