// Keeps the platform target non-empty while its units arrive.
