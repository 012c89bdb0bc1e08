// placeholder: implemented in a later step
