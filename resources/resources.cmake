# Resources embedded into the program (word list blob, sounds). korvel_embed_resources(target)
# attaches them to the Qt library.
function(korvel_embed_resources target)
endfunction()
