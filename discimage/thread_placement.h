// Keeps a disc job's recording thread and its producer on different processors.
#pragma once

// The recording thread takes the last processor the process may use, when it may use two or
// more; the producer takes all the others. Both are no-ops on a single processor.
void PlaceRecordingThread();
void PlaceProducerThread();
