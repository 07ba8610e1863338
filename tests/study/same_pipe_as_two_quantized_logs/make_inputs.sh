mkfifo quantized.pipe
